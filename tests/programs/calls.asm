; Calls a subroutine over and over, for the debugger's window test: a
; breakpoint set on a label stops the machine, and a step back puts it on
; the call before. Assembled at build time with its symbol file.
STACK   EQU $40                 ; the stack grows upward from R65

        ORG $F800
RESET   MOV #STACK,B
        LDSP
        CLR R10
AGAIN   MOV #5,A
CALLER  CALL BUMP
        JMP AGAIN

; R10 += 1
BUMP    INC R10
        RETS

        ORG $FFFE
        WORD RESET
