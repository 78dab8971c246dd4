; Interrupts taken between instructions: the test pulses INT3 from outside
; between runs of the frame loop, so the interrupt is taken before the next
; instruction and its 19 cycles count for timer 1 (running, its interrupt
; every 64 cycles) with that instruction. The INT3 routine reads the
; decrementer first; the INT2 routine counts in R10 and the INT3 routine in
; R11, keeping what it read in R12.
        ORG $F800
RESET   MOV #60,B
        LDSP
        MOVP #03,P2             ; decrementer reload 3: INT2 every 4 counts
        MOVP #80,P3             ; start, internal clock, prescaler reload 0
        MOVP #14,P0             ; INT2 and INT3 on
        EINT
LOOP    INC R20
        MPY R20,B               ; 46 cycles: several counts in one instruction
        JMP LOOP

INT2    INC R10
        RETI

INT3    MOVP P2,A               ; the timer read before anything else
        MOV A,R12
        INC R11
        RETI

        ORG $FFF8
        WORD INT3, INT2
        ORG $FFFE
        WORD RESET
