; Hello, world: a cartridge for Orvane's open firmware. From the top of the
; tree:
;   scripts/asm --cartridge 8 -o hello.rom docs/hello.asm
;   scripts/run --rom hello.rom --seconds 6 --type 200:hi --screenshot hello.png
        INCLUDE "../firmware/orvane.inc"

        ORG $6000               ; an 8 KB cartridge lies at $6000-$7FFF
        TEXT "ORVN"             ; the header the firmware looks for,
        WORD START              ; where to start,
        BYTE "Hello", 0         ; and the name the title screen shows

START   MOV #00,A               ; every cell a black space
        CALL B_CLS
        MOVD #HELLO,R7          ; the text at row 10, column 13,
        MOV #0A,R4              ; white on blue
        MOV #0D,R5
        MOV #WHITE*32.+A_PLAIN+BLUE,R8
        CALL B_PRINT
        MOV #0C,R4              ; typed keys go to row 12
        MOV #0D,R5
        MOV #YELLOW*32.+A_PLAIN,R8
KEYS    CALL B_GETKEY           ; A = the next key, 0 if none
        JEQ KEYS
        CALL B_PUTCELL          ; character A at row R4, column R5
        INC R5
        JMP KEYS

HELLO   BYTE "Hello, world!", 0
