; Puts the video processor in bitmap mode and fills the whole page (250
; lines of 122 bytes from video address 0) with the running count 0, 1,
; 2 ... through the data port, then waits at DONE ($F816) with A holding
; 30500 mod 256. The fill takes about 735,000 cycles, some 15 frames.
VDPREG  EQU 45                  ; register port (write)
VDPDATA EQU 46                  ; data port (write)

        ORG $F800
RESET   MOVP #06,P(VDPREG)      ; pointer byte: CM3 is next
        MOVP #80,P(VDPREG)      ; CM3 = bitmap mode
        CLR A
        MOV #250.,R3            ; lines
LINE    MOV #122.,R2            ; bytes in a line
NEXT    MOVP A,P(VDPDATA)
        INC A
        DJNZ R2,NEXT
        DJNZ R3,LINE
DONE    JMP DONE

        ORG $FFFE
        WORD RESET
