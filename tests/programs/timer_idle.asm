; Timer 1 runs on the internal clock and wakes the processor from IDLE
; every 16 x 4 x 40 cycles; between interrupts the main loop runs the
; instructions that write a line of their own whether or not they are
; traced: an undefined opcode, DSB and DECD A. The INT2 routine counts in
; R10:R11, keeps the decrementer it reads in R12 and adds up DSB results
; in R13.
        ORG $F800
RESET   MOV #60,B
        LDSP
        MOVP #27,P2             ; decrementer reload: 40 counts
        MOVP #83,P3             ; start, internal clock, prescaler reload 3
        MOVP #04,P0             ; INT2 on
        EINT
LOOP    MOV #12,A
        DSB #05,A               ; logs "called 12 5 ..."
        ADD A,R13
        BYTE $02                ; undefined: logs "called"
        DECD A                  ; logs "Called !"
        NOP
        NOP
        IDLE                    ; logs "called"; the next INT2 wakes it
        JMP LOOP

INT2    ADD #1,R11
        ADC #0,R10
        MOVP P2,A
        MOV A,R12
        RETI

        ORG $FFFA
        WORD INT2
        ORG $FFFE
        WORD RESET
