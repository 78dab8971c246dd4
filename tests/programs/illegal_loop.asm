; Runs two undefined opcodes over and over: each one logs a line.
        ORG $F800
RESET   BYTE $02, $03
        JMP RESET

        ORG $FFFE
        WORD RESET
