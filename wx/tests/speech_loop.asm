; Firmware that speaks without end, for listening to the sound output over
; minutes: it greets the I/O processor, starts speech with 24 bytes and
; answers every low report with a feed of 8 more, cycling through four
; voiced frames; when speech ends it starts again. Its screen stays blank.
RXLOG   EQU $C010               ; every byte received, in order

RXPTR   EQU 3                   ; R2:R3: next free byte of the log
TAKEN   EQU 4                   ; R4: 1 once the byte sent was taken
COUNT   EQU 9                   ; R9: bytes left to send
SRC     EQU 15                  ; R14:R15: next speech byte
RDPTR   EQU 21                  ; R20:R21: next log byte to look at
STACK   EQU $60

        ORG $F800
RESET   MOV #STACK,B
        LDSP
        MOVD #RXLOG,R(RXPTR)
        MOVD #RXLOG,R(RDPTR)
        MOVD #FRAMES,R(SRC)
        CLR R(TAKEN)
        MOVP #01,P0             ; INT1 on
        EINT
        ORP #01,P6              ; B0 high: the I/O processor greets us
GREETW  BTJOP #01,P6,GREETW
        DINT
        MOVD R(RXPTR),R(RDPTR)  ; the greeting is not a report
        EINT

SPEAK   MOV #09,A               ; speak, with the first 24 bytes
        CALL SEND
        MOV #24.,R(COUNT)
        CALL FEED
WAIT    DINT                    ; a log byte not yet looked at?
        CMP R(RXPTR),R(RDPTR)
        JNZ GOT
        CMP R(RXPTR-1),R(RDPTR-1)
        JNZ GOT
        EINT
        JMP WAIT
GOT     EINT
        LDA *R(RDPTR)
        INC R(RDPTR)
        ADC #0,R(RDPTR-1)
        CMP #04,A               ; end of speech: once more
        JEQ SPEAK
        CMP #03,A               ; low: 8 more bytes
        JNE WAIT
        MOV #0A,A
        CALL SEND
        MOV #8,R(COUNT)
        CALL FEED
        JMP WAIT

; Sends COUNT speech bytes, cycling through FRAMES.
FEED    LDA *R(SRC)
        CALL SEND
        INC R(SRC)
        ADC #0,R(SRC-1)
        CMP #LOW(FRAMEND),R(SRC)
        JNZ FEED1
        CMP #HIGH(FRAMEND),R(SRC-1)
        JNZ FEED1
        MOVD #FRAMES,R(SRC)
FEED1   DJNZ R(COUNT),FEED
        RETS

        INCLUDE "speech_link.inc"

        ORG $FFFC
        WORD INT1
        ORG $FFFE
        WORD RESET
