; Waits for the cassette input, port A bit 4, to go high, then stays at
; SEEN ($F806).
        ORG $F800
RESET   BTJOP #10,P4,SEEN
        JMP RESET
SEEN    JMP SEEN

        ORG $FFFE
        WORD RESET
