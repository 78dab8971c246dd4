; A cartridge for the browser test: the whole text page green, with a line
; of text, then it waits for keys and shows each one after the text.
        INCLUDE "../../firmware/orvane.inc"

        ORG $6000
        TEXT "ORVN"
        WORD START
        BYTE "Web test", 0

START   MOV #A_PLAIN+GREEN,A    ; every cell a space on green
        CALL B_CLS
        MOVD #TEXT1,R7
        MOV #0C,R4
        MOV #08,R5
        MOV #WHITE*32.+A_PLAIN+GREEN,R8
        CALL B_PRINT
KEYS    CALL B_GETKEY
        JEQ KEYS
        CALL B_PUTCELL
        INC R5
        JMP KEYS

TEXT1   BYTE "Dropped cartridge ", 0
