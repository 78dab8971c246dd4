; Writes port B so that both handshake lines change together, then not at
; all, then together again: the I/O processor is to see the B0 edge first.
        ORG $F800
RESET   MOV #60,B
        LDSP
        MOVP #00,P6
        MOVP #03,P6             ; B0 rises, then B1
        MOVP #03,P6             ; no edge
        MOVP #00,P6             ; B0 falls, then B1
DONE    JMP DONE

        ORG $FFFE
        WORD RESET
