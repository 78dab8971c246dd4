; Firmware for the window tests: it greets the I/O processor and fills the
; screen (bitmap mode) in two bands, then repaints them whenever something
; happens that a test wants to see. The top band (lines 0 to 49) has the
; colour of the number of keys received (low 3 bits); the rest:
;   start        colour = cartridge byte $4001 (low 3 bits) when a
;                cartridge is there ($4000 holds $A5), else 6 (cyan)
;   a key        colour = key code (low 3 bits) ("A" gives 1, red; "B" 2,
;                green). Ignored, and not counted: the release code $04 and
;                codes from $80 on (Alt, arrows ...)
;   tape signal  colour 3 (yellow) the first time port A bit 4 is seen set
VDPREG  EQU 45                  ; register port (write)
VDPDATA EQU 46                  ; data port (write)
VDPRST  EQU 39                  ; reset port (read): pointers back to 0

CART    EQU $4000

TAKEN   EQU 4                   ; R4: 1 once the byte sent was taken
B0      EQU 5                   ; R5..R7: the three bytes of a bitmap group
B1      EQU 6
B2      EQU 7
PREVB   EQU 10                  ; R10: the byte received before the last
KEY     EQU 11                  ; R11: the last key code reported
NEWKEY  EQU 12                  ; R12: 1 when KEY has not been shown yet
COLOR   EQU 13                  ; R13: the colour on the screen
TAPED   EQU 14                  ; R14: 1 once the tape signal was seen
COUNT   EQU 15                  ; R15: keys received
STACK   EQU $60

        ORG $F800
RESET   MOV #STACK,B
        LDSP
        CLR R(TAKEN)
        CLR R(PREVB)
        CLR R(NEWKEY)
        CLR R(TAPED)
        CLR R(COUNT)
        MOVP #06,P(VDPREG)      ; pointer byte: CM3 is next
        MOVP #80,P(VDPREG)      ; CM3 = bitmap mode
        MOVP #01,P0             ; INT1 on
        EINT
        ORP #01,P6              ; B0 high: the I/O processor greets us
GREETW  BTJOP #01,P6,GREETW     ; the INT1 routine drops B0 when it is over

        MOV #06,R(COLOR)
        LDA @CART
        CMP #0A5,A
        JNE START
        LDA @CART+1
        AND #07,A
        MOV A,R(COLOR)
START   CALL PAINT

MAIN    BTJZ #01,R(NEWKEY),NOKEY
GOTKEY  CLR R(NEWKEY)           ; reached only when a key has come
        MOV R(KEY),A
        AND #07,A
        MOV A,R(COLOR)
        CALL PAINT
NOKEY   BTJO #01,R(TAPED),MAIN
        BTJZP #10,P4,MAIN       ; port A bit 4: the tape input
        MOV #1,R(TAPED)
        MOV #03,R(COLOR)
        CALL PAINT
        JMP MAIN

; Fills the page: 50 lines with the colour of COUNT, 200 with COLOR.
PAINT   MOVP P(VDPRST),A        ; both pointers back to 0
        MOV R(COUNT),A
        MOV #50.,R3
        CALL BAND
        MOV R(COLOR),A
        MOV #200.,R3
        CALL BAND
        RETS

; Fills R3 lines (40 groups and 2 spare bytes each) with colour A.
BAND    CLR R(B0)
        CLR R(B1)
        CLR R(B2)
        BTJZ #04,A,BAND1
        MOV #0FF,R(B0)
BAND1   BTJZ #02,A,BAND2
        MOV #0FF,R(B1)
BAND2   BTJZ #01,A,BAND3
        MOV #0FF,R(B2)
BAND3
FLINE   MOV #40.,R2
FGROUP  MOV R(B0),A
        MOVP A,P(VDPDATA)
        MOV R(B1),A
        MOVP A,P(VDPDATA)
        MOV R(B2),A
        MOVP A,P(VDPDATA)
        DJNZ R2,FGROUP
        MOVP #0,P(VDPDATA)
        MOVP #0,P(VDPDATA)
        DJNZ R3,FLINE
        RETS

; INT1. With A0 high the I/O processor has taken our byte: drop B0 and
; wait until it drops A0. With A0 low it has a byte for us: a byte after
; the key report $01 is a key code.
INT1    PUSH A
        BTJOP #01,P4,INT1ACK
        MOVP P48,A
        CMP #01,R(PREVB)
        JNE INT1B
        CMP #04,A
        JEQ INT1B
        BTJO #80,A,INT1B
        MOV A,R(KEY)
        MOV #1,R(NEWKEY)
        INC R(COUNT)
INT1B   MOV A,R(PREVB)
        ORP #02,P6              ; B1 high: seen
INT1W1  BTJZP #01,P4,INT1W1     ; A0 rises when the pulse is over
        ANDP #FD,P6             ; B1 low
        ANDP #FE,P6             ; B0 low: ends the greeting, no change otherwise
        POP A
        RETI
INT1ACK ANDP #FE,P6             ; B0 low
INT1W2  BTJOP #01,P4,INT1W2
        MOV #1,R(TAKEN)
        POP A
        RETI

        ORG $FFFC
        WORD INT1
        ORG $FFFE
        WORD RESET
