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

; Sends the byte in A and returns once the I/O processor has taken it.
SEND    CLR R(TAKEN)
        MOVP A,P48
        ORP #01,P6              ; B0 high
SENDW   BTJZ #1,R(TAKEN),SENDW
        RETS

; INT1: as in the other test firmware; received bytes go to the log.
INT1    PUSH A
        BTJOP #01,P4,INT1ACK
        MOVP P48,A
        STA *R(RXPTR)
        INC R(RXPTR)
        ADC #0,R(RXPTR-1)
        ORP #02,P6              ; B1 high: seen
INT1W1  BTJZP #01,P4,INT1W1
        ANDP #FD,P6             ; B1 low
        ANDP #FE,P6             ; B0 low
        POP A
        RETI
INT1ACK ANDP #FE,P6             ; B0 low
INT1W2  BTJOP #01,P4,INT1W2
        MOV #1,R(TAKEN)
        POP A
        RETI

; Four voiced frames (energy 9, pitch 20 to 32), 200 bits.
FRAMES  BYTE $49, $F1, $2A, $3C, $4C, $1C, $25, $C3, $AB, $F0, $30, $71, $94
        BYTE $1C, $AF, $C2, $C3, $C4, $51, $0A, $BC, $0A, $0F, $13, $47
FRAMEND

        ORG $FFFC
        WORD INT1
        ORG $FFFE
        WORD RESET
