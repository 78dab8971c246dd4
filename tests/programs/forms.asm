; Runs one instruction of many operand forms after another and writes a
; byte per step to RAM from $C010 on, so that the test can check how each
; assembled form behaves on the processor. A wrong branch writes $EE and
; stops.
        INCLUDE "ram.inc"
OUT     EQU RESULT+$10
PTR     EQU 3                   ; R2:R3 walks through the results

        ORG $F800
RESET   MOV #60,B
        LDSP
        MOVD #OUT,R(PTR)

        MOV #12,R5              ; immediate to register, register to register
        MOV R5,R6
        ADD #1,R6
        MOV R6,A
        CALL PUT                ; $13

        MOV #F0,A
        AND #3C,A
        CALL PUT                ; $30

        MOV #81,A
        RL A
        CALL PUT                ; $03

        BTJZ #1,A,BAD           ; bit 0 is set: no jump
        BTJO #2,A,NEXT1         ; bit 1 is set: jump
        JMP BAD
NEXT1   MOV #AA,A
        CALL PUT                ; $AA

        MOV #77,A
        PUSH A
        CLR A
        POP B
        MOV B,A
        CALL PUT                ; $77

        MOV #20,A
        MPY #10,A               ; $0200 in A:B
        CALL PUT                ; $02
        MOV B,A
        CALL PUT                ; $00

        MOV #19,A
        MOV #28,B
        CLRC
        DAC B,A
        CALL PUT                ; $47

        TRAP 5                  ; writes $5A

        MOV #2,B
        LDA @TABLE(B)
        CALL PUT                ; $C3

        MOVD #0100,R9
        DECD R9
        MOV R9,A
        CALL PUT                ; $FF
        MOV R8,A
        CALL PUT                ; $00

        MOV #11,A
        MOV #22,B
        XCHB A
        CALL PUT                ; $22

        MOV #3,R7
        CLR A
COUNT   INC A
        DJNZ R7,COUNT
        CMP #3,A
        JNE BAD
        JZ NEXT2
        JMP BAD
NEXT2   CALL PUT                ; $03

        MOV #AB,A
        CALL PUT                ; $AB
DONE    JMP DONE

BAD     MOV #EE,A
        CALL PUT
        JMP DONE

; Stores A at *R3 and moves the pointer on.
PUT     STA *R(PTR)
        ADD #1,R(PTR)
        ADC #0,R(PTR-1)
        RETS

TRAP5   MOV #5A,A
        CALL PUT
        RETS

TABLE   BYTE $C1, $C2, $C3

        ORG $FFFE-2*5           ; TRAP 5's vector
        WORD TRAP5
        ORG $FFFE
        WORD RESET
