; Adds up a table of bytes into a 16-bit total through a subroutine and
; stores the total, high byte first, in external RAM. Assembled at build
; time into a 2 KB internal-ROM image for the tests that run it.
        INCLUDE "ram.inc"

STACK   EQU $40                 ; the stack grows upward from R65

        ORG $F800
RESET   MOV #STACK,B
        LDSP
        CLR R10
        CLR R11
        MOV #COUNT,B            ; B counts the table down to zero
NEXT    LDA @TABLE-1(B)
        CALL ADD16
        DJNZ B,NEXT
        MOV R10,A
        STA @RESULT
        MOV R11,A
        STA @RESULT+1
DONE    JMP DONE

; R10:R11 += A
ADD16   ADD A,R11
        ADC #0,R10
        RETS

TABLE   BYTE 200, 100, $FF, 1, 'A', 10., 0x10
COUNT   EQU $-TABLE

        ORG $FFFE
        WORD RESET
