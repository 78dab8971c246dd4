; Speaks without end, for listening to the sound output and measuring it:
; greets the I/O processor, starts speech with 24 bytes and answers every
; low report with a feed of 8 more, taken round and round from a table of
; four voiced frames (25 bytes, 200 bits). An end report starts it again.
; The screen stays blank.
;
; The handshake is the one of iolink.asm: to send a byte, put it in the
; mailbox (P48), raise B0 and wait for INT1 with A0 high; a byte for us
; comes with INT1 and A0 low.
TAKEN   EQU 4                   ; 1 once the byte sent was taken
EXPECT  EQU 5                   ; 1: the next byte received is a key code, ignored
ISLOW   EQU 6                   ; 1: a low report came
ENDED   EQU 7                   ; 1: an end report came
GREETED EQU 8
INDEX   EQU 9                   ; next byte of FRAMES to send
COUNT   EQU 10
STACK   EQU $60

        ORG $F800
RESET   MOV #STACK,B
        LDSP
        CLR R(GREETED)
        MOVP #01,P0             ; INT1 on
        EINT
        ORP #01,P6              ; B0 high: the I/O processor greets us
GREETW  BTJOP #01,P6,GREETW
        MOV #1,R(GREETED)

START   CLR R(ISLOW)
        CLR R(ENDED)
        MOV #09,A               ; speech start
        CALL SEND
        MOV #24.,R(COUNT)
        CALL SENDN
WAIT    BTJO #1,R(ENDED),START
        BTJZ #1,R(ISLOW),WAIT
        CLR R(ISLOW)
        MOV #0A,A               ; speech feed
        CALL SEND
        MOV #8,R(COUNT)
        CALL SENDN
        JMP WAIT

; Sends COUNT bytes of the frame table from INDEX on, round and round.
SENDN   MOV R(INDEX),B
        LDA @FRAMES(B)
        CALL SEND
        INC R(INDEX)
        CMP #25.,R(INDEX)
        JNZ SENDN1
        CLR R(INDEX)
SENDN1  DJNZ R(COUNT),SENDN
        RETS

; Sends the byte in A and returns once the I/O processor has taken it.
SEND    CLR R(TAKEN)
        MOVP A,P48
        ORP #01,P6              ; B0 high
SENDW   BTJZ #1,R(TAKEN),SENDW
        RETS

INT1    PUSH A
        BTJOP #01,P4,INT1ACK
        MOVP P48,A
        ORP #02,P6              ; B1 high: seen
INT1W1  BTJZP #01,P4,INT1W1     ; A0 rises when the pulse is over
        ANDP #FD,P6             ; B1 low
        ANDP #FE,P6             ; B0 low: ends the greeting
        BTJZ #1,R(GREETED),INT1X
        BTJZ #1,R(EXPECT),INT1R
        CLR R(EXPECT)           ; a key code: not ours
        JMP INT1X
INT1R   CMP #01,A
        JNZ INT1L
        MOV #1,R(EXPECT)
        JMP INT1X
INT1L   CMP #03,A
        JNZ INT1E
        MOV #1,R(ISLOW)
        JMP INT1X
INT1E   CMP #04,A
        JNZ INT1X
        MOV #1,R(ENDED)
INT1X   POP A
        RETI
INT1ACK ANDP #FE,P6             ; B0 low
INT1W2  BTJOP #01,P4,INT1W2
        MOV #1,R(TAKEN)
        POP A
        RETI

; Four voiced frames: energy 10, pitch 20, middling reflection
; coefficients; the stream is read from bit 0 of each byte on.
FRAMES  BYTE $45, $09, $29, $3C, $32, $E2, $14, $25, $A4, $F0, $C8, $88, $53
        BYTE $94, $90, $C2, $23, $23, $4E, $51, $42, $0A, $8F, $8C, $38

        ORG $FFFC
        WORD INT1
        ORG $FFFE
        WORD RESET
