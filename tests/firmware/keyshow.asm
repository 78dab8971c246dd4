; Shows on the screen what reaches it, for the window tests. Bitmap mode;
; lines 0-39 repeat the cartridge's byte at $6000 ($FF without a cartridge),
; lines 40-79 the code of the last key the I/O processor reported (0 at
; start; the release code 4 is not shown), lines 80-119 the cassette input
; (port A bit 4: $10 or 0), line 120 how many key codes other than the
; release came (modulo 256) and line 160 their sum (modulo 256), both
; counted as the codes come, so that a test can tell that no key of a long
; burst was lost. A byte written
; to all three
; planes of a group gives eight dots, white for a set bit and black for a
; clear one: every group reads as the byte in binary, bit 7 at the left.
; While it waits for keys it counts in R20.
VDPREG  EQU 45                  ; register port (write)
VDPDATA EQU 46                  ; data port (write)
CART    EQU $6000
KEY     EQU 10                  ; code shown
NEWKEY  EQU 11                  ; code received
FLAG    EQU 12                  ; 1: NEWKEY not yet looked at
EXPECT  EQU 13                  ; 1: the next byte received is a key code
GREETED EQU 14                  ; 1: the greeting is over
TAPE    EQU 15                  ; cassette bit shown
KEYS    EQU 16                  ; key codes received (not the release)
KEYSUM  EQU 17                  ; their sum
COUNTER EQU 20
STACK   EQU $60

        ORG $F800
RESET   MOV #STACK,B
        LDSP
        CLR R(FLAG)
        CLR R(EXPECT)
        CLR R(GREETED)
        CLR R(KEY)
        CLR R(KEYS)
        CLR R(KEYSUM)
        MOVP #06,P(VDPREG)      ; pointer byte: CM3 is next
        MOVP #80,P(VDPREG)      ; CM3 = bitmap mode
        MOVP #01,P0             ; INT1 on
        EINT
        ORP #01,P6              ; B0 high: the I/O processor greets us
GREETW  BTJOP #01,P6,GREETW     ; the INT1 routine drops B0 when it is over
        MOV #1,R(GREETED)
        CALL DRAWCART
        CALL DRAWKEY
        CLR R(TAPE)
        CALL DRAWTAPE
        CALL DRAWCNT

MAIN    INC R(COUNTER)
        MOVP P4,A
        AND #10,A
        CMP R(TAPE),A
        JEQ MAIN1
        MOV A,R(TAPE)
        CALL DRAWTAPE
MAIN1   BTJZ #1,R(FLAG),MAIN
        CLR R(FLAG)
        MOV R(NEWKEY),A
        CMP #04,A               ; a release
        JEQ MAIN
        MOV A,R(KEY)
        CALL DRAWKEY
        CALL DRAWCNT
        JMP MAIN

; Lines 0-39: the cartridge's byte.
DRAWCART LDA @CART
        MOVP #21,P(VDPREG)      ; pointer byte: COL, then ROW
        MOVP #00,P(VDPREG)
        MOVP #00,P(VDPREG)      ; video address 0
        JMP FILL40
; Lines 40-79: the key code.
DRAWKEY MOV R(KEY),A
        MOVP #21,P(VDPREG)
        MOVP #10,P(VDPREG)
        MOVP #13,P(VDPREG)      ; video address $1310 = 40 x 122
        JMP FILL40
; Lines 80-119: the cassette bit.
DRAWTAPE MOV R(TAPE),A
        MOVP #21,P(VDPREG)
        MOVP #20,P(VDPREG)
        MOVP #26,P(VDPREG)      ; video address $2620 = 80 x 122
FILL40  MOV #40.,R6             ; lines
FILL1   MOV #122.,R5            ; bytes in a line
FILL2   MOVP A,P(VDPDATA)
        DJNZ R5,FILL2
        DJNZ R6,FILL1
        RETS
; Line 120: the count of key codes; line 160: their sum. One line each, so
; that a key is drawn before the next can come (40 ms apart).
DRAWCNT MOV R(KEYS),A
        MOVP #21,P(VDPREG)
        MOVP #30,P(VDPREG)
        MOVP #39,P(VDPREG)      ; video address $3930 = 120 x 122
        CALL FILL4
        MOV R(KEYSUM),A
        MOVP #21,P(VDPREG)
        MOVP #40,P(VDPREG)
        MOVP #4C,P(VDPREG)      ; video address $4C40 = 160 x 122
FILL4   MOV #1,R6
FILL5   MOV #122.,R5
FILL6   MOVP A,P(VDPDATA)
        DJNZ R5,FILL6
        DJNZ R6,FILL5
        RETS

; INT1. With A0 high the I/O processor has taken our byte (the greeting
; request): drop B0 and wait until it drops A0. With A0 low it has a byte
; for us: a key report is $01 and the code.
INT1    PUSH A
        BTJOP #01,P4,INT1ACK
        MOVP P48,A
        ORP #02,P6              ; B1 high: seen
INT1W1  BTJZP #01,P4,INT1W1     ; A0 rises when the pulse is over
        ANDP #FD,P6             ; B1 low
        ANDP #FE,P6             ; B0 low: ends the greeting
        BTJZ #1,R(GREETED),INT1X
        BTJZ #1,R(EXPECT),INT1P
        MOV A,R(NEWKEY)
        MOV #1,R(FLAG)
        CLR R(EXPECT)
        CMP #04,A               ; a release is not counted
        JEQ INT1X
        INC R(KEYS)
        ADD R(KEYSUM),A
        MOV A,R(KEYSUM)
        JMP INT1X
INT1P   CMP #01,A
        JNZ INT1X
        MOV #1,R(EXPECT)
INT1X   POP A
        RETI
INT1ACK ANDP #FE,P6             ; B0 low
INT1W2  BTJOP #01,P4,INT1W2
        POP A
        RETI

        ORG $FFFC
        WORD INT1
        ORG $FFFE
        WORD RESET
