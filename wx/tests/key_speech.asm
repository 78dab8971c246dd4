; Firmware for measuring how long a key takes to be heard: it greets the
; I/O processor, then waits for a key; each key pressed (not its release)
; starts a short phrase of speech (24 bytes, four voiced frames, fed again
; while the I/O processor reports its buffer low, 64 bytes in all). Keys
; that come while it speaks are ignored. Its screen stays blank.
RXLOG   EQU $C010               ; every byte received, in order

RXPTR   EQU 3                   ; R2:R3: next free byte of the log
TAKEN   EQU 4                   ; R4: 1 once the byte sent was taken
PREVB   EQU 5                   ; R5: the byte looked at before this one
TALK    EQU 6                   ; R6: 1 while speaking
LEFT    EQU 7                   ; R7: speech bytes still to feed
COUNT   EQU 9                   ; R9: bytes left to send
SRC     EQU 15                  ; R14:R15: next speech byte
RDPTR   EQU 21                  ; R20:R21: next log byte to look at
STACK   EQU $60

        ORG $F800
RESET   MOV #STACK,B
        LDSP
        MOVD #RXLOG,R(RXPTR)
        MOVD #RXLOG,R(RDPTR)
        CLR R(TAKEN)
        CLR R(PREVB)
        CLR R(TALK)
        MOVP #01,P0             ; INT1 on
        EINT
        ORP #01,P6              ; B0 high: the I/O processor greets us
GREETW  BTJOP #01,P6,GREETW
        DINT
        MOVD R(RXPTR),R(RDPTR)  ; the greeting is not a report
        EINT

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
        MOV R(PREVB),B
        MOV A,R(PREVB)
        CMP #01,B               ; after the key report: a key code
        JEQ KEY
        BTJZ #01,R(TALK),WAIT
        CMP #04,A               ; end of speech
        JEQ HUSH
        CMP #03,A               ; low: 8 more bytes, while there are some
        JNE WAIT
        CMP #0,R(LEFT)
        JEQ WAIT
        MOV #0A,A
        CALL SEND
        MOV #8,R(COUNT)
        SUB #8,R(LEFT)
        CALL FEED
        JMP WAIT
HUSH    CLR R(TALK)
        CLR R(PREVB)
        JMP WAIT
KEY     CLR R(PREVB)            ; the code is no report byte
        CMP #04,A               ; a release
        JEQ WAIT
        BTJO #01,R(TALK),WAIT
        MOV #1,R(TALK)
        MOVD #FRAMES,R(SRC)
        MOV #40.,R(LEFT)
        MOV #09,A               ; speak, with the first 24 bytes
        CALL SEND
        MOV #24.,R(COUNT)
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
