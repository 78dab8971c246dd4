; Starts the cartridge: reset and every trap lead to $6000, where a
; cartridge of any size has code.
        ORG $F800
RESET   MOV #$7F,B
        LDSP
        BR $6000

        ORG $FFD0
        WORD $6000, $6000, $6000, $6000, $6000, $6000, $6000, $6000
        WORD $6000, $6000, $6000, $6000, $6000, $6000, $6000, $6000
        WORD $6000, $6000, $6000, $6000, $6000, $6000, $6000, RESET
