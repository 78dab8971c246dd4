; Orvane demo tour: an 8 KB cartridge for the open firmware.
;
; Four pages, one after another, each for a few seconds or until a key:
; a bitmap picture, the machine speaking a phrase, a page in mixed mode
; (text rows and bitmap lines), and the cassette input bit. Then again.
        INCLUDE "orvane.inc"

; ---- registers (R40-R79) ----
PAGE    EQU 40                  ; page on show, 0-3
T0HI    EQU 41                  ; R41:R42 tick count when the page's time began
T0LO    EQU 42
LIMHI   EQU 43                  ; R43:R44 ticks the page stays
LIMLO   EQU 44
IDLEHI  EQU 45                  ; R45:R46 the page's work between key checks
IDLELO  EQU 46
LINE    EQU 48                  ; bitmap line being drawn
COLOUR  EQU 52                  ; colour of FILLLINE and FILLSPAN
PLANE0  EQU 53                  ; FILLLINE: the three bytes of a group
PLANE1  EQU 54
PLANE2  EQU 55
XA      EQU 56                  ; FILLSPAN: first and last dot pair, 0-159
XB      EQU 57
MASK    EQU 58
NMASK   EQU 59
COUNT   EQU 60
CX      EQU 61                  ; SPAN: centre and half width, in dot pairs
CW      EQU 62
RIPPLE  EQU 63                  ; picture: water lines, 0-2
LEVEL   EQU 64                  ; tape: input bit last seen ($10 or 0)
EDGEHI  EQU 65                  ; R65:R66 tape: changes of the input bit
EDGELO  EQU 66
UPDHI   EQU 67                  ; R67:R68 tape: tick count of the last update
UPDLO   EQU 68
SPOKE   EQU 69                  ; speech: 1 while the phrase plays
ROWS    EQU 70                  ; mixed page: rows or lines left
GROUP   EQU 71

; ---- RAM ----
LB      EQU CARTRAM             ; a bitmap line: 40 groups of 3 bytes
HIST    EQU CARTRAM+$80         ; tape: 38 cells of history

BITMAP  EQU $0800               ; the picture's page in video RAM
MIXPAGE EQU $2000               ; the mixed page

        ORG $6000
        TEXT "ORVN"             ; our header: magic, entry, name
        WORD START
        BYTE "Demo tour", 0

START   CLR R(PAGE)
TOUR    MOV R(PAGE),A
        JNZ TOUR1
        CALL PICTURE
        JMP TOURN
TOUR1   CMP #01,A
        JNE TOUR2
        CALL SPEECH
        JMP TOURN
TOUR2   CMP #02,A
        JNE TOUR3
        CALL MIXED
        JMP TOURN
TOUR3   CALL TAPE
TOURN   INC R(PAGE)
        AND #03,R(PAGE)
        JMP TOUR

; ------------------------------------------------------- page timing
; Runs the page's work (*R46, which returns A = 1 while the page must
; stay) until LIM ticks have passed since the work last asked to stay,
; or until a key.
WAITPAGE CALL NOW
        MOVD R3,R(T0LO)
WP1     CALL *R(IDLELO)
        JEQ WP2
        CALL NOW                ; held: the time starts again
        MOVD R3,R(T0LO)
WP2     CALL B_GETKEY
        JNZ WPEND
        CALL NOW
        SUB R(T0LO),R3
        SBB R(T0HI),R2
        CMP R(LIMHI),R2
        JL WP1
        JNZ WPEND
        CMP R(LIMLO),R3
        JL WP1
WPEND   RETS

; R2:R3 = tick count.
NOW     DINT
        MOV R(TICKHI),R2
        MOV R(TICKLO),R3
        EINT
        RETS

NOWORK  CLR A
        RETS

; ---------------------------------------------------- text helpers
; A text page: blue band with a big title (*R7) and the page number in R9,
; a footer line.
PAGETOP PUSH R6
        PUSH R7
        CLR A                   ; black page
        CALL B_CLS
        CLR R4
PT1     CALL BANDROW
        INC R4
        CMP #04,R4
        JL PT1
        POP R7
        POP R6
        MOV #01,R4
        MOV #02,R5
        CALL BIGTEXT
        MOV #02,R4
        MOV #22,R5
        MOV #C8+BLUE,R8         ; cyan, plain, on blue
        MOV R9,A
        CALL B_PUTCELL
        MOV #2F,A
        MOV #23,R5
        CALL B_PUTCELL
        MOV #34,A
        MOV #24,R5
        CALL B_PUTCELL
        MOVD #FOOTER,R7
        MOV #18,R4
        MOV #01,R5
        MOV #A8,R8              ; magenta, plain
        CALL B_PRINT
        RETS

; Row R4: spaces that paint blue and pass blue on as background.
BANDROW MOVD #TEXTPAGE,R3
        MOV R4,A
        MOV #50,B
        MPY B,A
        MOV A,R2
        MOV B,R3
        CALL B_VADDR
        MOV #28,R12
BR1     MOVP #84,P(VRAM)
        MOVP #20,P(VRAM)
        DJNZ R12,BR1
        RETS

; The text at *R7 in double width and height, yellow, from row R4 (and the
; row below), column R5.
BIGTEXT LDA *R7
        JEQ BTEND
        MOV #YELLOW*32.+3,R8     ; serial set, double width and height
        CMP #20,A
        JNE BT1
        MOV #84,R8              ; a space that keeps the band blue
BT1     CALL B_PUTCELL
        INC R5
        CALL B_PUTCELL
        INC R4
        CALL B_PUTCELL
        DEC R5
        CALL B_PUTCELL
        DEC R4
        INC R5
        INC R5
        INC R7
        ADC #00,R6
        JMP BIGTEXT
BTEND   RETS

; Texts at *R7: row, column, attribute, text, 0 ... up to a row $FF.
TEXTS   LDA *R7
        CMP #FF,A
        JEQ TXEND
        MOV A,R4
        CALL NEXT7
        LDA *R7
        MOV A,R5
        CALL NEXT7
        LDA *R7
        MOV A,R8
        CALL NEXT7
        CALL B_PRINT
        JMP TEXTS
TXEND   RETS

NEXT7   INC R7
        ADC #00,R6
        RETS

; ------------------------------------------------------ bitmap lines
; The line buffer filled with one colour.
FILLLINE CLR R(PLANE0)
        CLR R(PLANE1)
        CLR R(PLANE2)
        BTJZ #04,R(COLOUR),FL1
        MOV #FF,R(PLANE0)
FL1     BTJZ #02,R(COLOUR),FL2
        MOV #FF,R(PLANE1)
FL2     BTJZ #01,R(COLOUR),FL3
        MOV #FF,R(PLANE2)
FL3     CLR B
FL4     MOV R(PLANE0),A
        STA @LB(B)
        MOV R(PLANE1),A
        STA @LB+1(B)
        MOV R(PLANE2),A
        STA @LB+2(B)
        ADD #03,B
        CMP #78,B
        JL FL4
        RETS

; Dot pairs CX - CW to CX + CW, kept inside the line, in COLOUR.
SPAN    MOV R(CX),A
        SUB R(CW),A
        JHS SP1
        CLR A
SP1     MOV A,R(XA)
        MOV R(CX),A
        ADD R(CW),A
        JC SP2
        CMP #A0,A
        JL SP3
SP2     MOV #9F,A
SP3     MOV A,R(XB)
; Dot pairs XA to XB (XA <= XB) in COLOUR.
FILLSPAN MOV R(XA),A
        RR A
        RR A
        AND #3F,A
        MOV A,B
        ADD B,A
        ADD B,A
        MOV A,B                 ; B = 3 x group
        MOV R(XA),A
        AND #03,A
        PUSH B
        MOV A,B
        LDA @PAIRMASK(B)
        POP B
        MOV A,R(MASK)
        INV A
        MOV A,R(NMASK)
        MOV R(XB),A
        SUB R(XA),A
        INC A
        MOV A,R(COUNT)
FS1     LDA @LB(B)
        BTJZ #04,R(COLOUR),FS2
        OR R(MASK),A
        JMP FS3
FS2     AND R(NMASK),A
FS3     STA @LB(B)
        LDA @LB+1(B)
        BTJZ #02,R(COLOUR),FS4
        OR R(MASK),A
        JMP FS5
FS4     AND R(NMASK),A
FS5     STA @LB+1(B)
        LDA @LB+2(B)
        BTJZ #01,R(COLOUR),FS6
        OR R(MASK),A
        JMP FS7
FS6     AND R(NMASK),A
FS7     STA @LB+2(B)
        RR R(MASK)
        RR R(MASK)
        RR R(NMASK)
        RR R(NMASK)
        CMP #C0,R(MASK)
        JNE FS8
        ADD #03,B
FS8     DJNZ R(COUNT),FS1
        RETS
PAIRMASK BYTE $C0, $30, $0C, $03

; The line buffer to video RAM, then the two bytes no one reads.
COPYLINE CLR B
CP1     LDA @LB(B)
        MOVP A,P(VRAM)
        INC B
        CMP #78,B
        JL CP1
        MOVP #00,P(VRAM)
        MOVP #00,P(VRAM)
        RETS

; ------------------------------------------------- page 1: a picture
PICTURE MOVP #06,P(VREG)        ; blank while drawing
        MOVP #00,P(VREG)
        MOVD #BITMAP,R3
        MOV #0A,B
        CALL B_VREG16
        MOVD #BITMAP,R3
        CALL B_VADDR
        CLR R(LINE)
        CLR R(RIPPLE)
PIC1    CALL SCENE
        CALL COPYLINE
        INC R(LINE)
        CMP #FA,R(LINE)
        JL PIC1
        MOVP #06,P(VREG)        ; bitmap mode
        MOVP #80,P(VREG)
        MOVD #NOWORK,R(IDLELO)
        MOVD #300.,R(LIMLO)
        BR WAITPAGE

; One line of the picture: sky, sun, two mountains, a lake with the sun's
; reflection, a house on the shore.
SCENE   MOV R(LINE),A
        MOV #BLUE,R(COLOUR)     ; sky
        CMP #64,A
        JL SC1
        CMP #96,A
        JHS SC0
        BTJZ #01,A,SC1          ; haze: every other line cyan
        MOV #CYAN,R(COLOUR)
        JMP SC1
SC0     MOV #GREEN,R(COLOUR)    ; shore
        CMP #D2,A
        JHS SC1
        MOV #CYAN,R(COLOUR)     ; water: every third line blue
        INC R(RIPPLE)
        CMP #03,R(RIPPLE)
        JL SC1
        CLR R(RIPPLE)
        MOV #BLUE,R(COLOUR)
SC1     CALL FILLLINE

        MOV R(LINE),A           ; the sun, centre line 50, radius 24
        SUB #32,A
        JHS SC2
        INV A
        INC A
SC2     CMP #19,A
        JHS SC3
        MOV A,B
        LDA @SUNW(B)
        MOV A,R(CW)
        MOV #78,R(CX)
        MOV #YELLOW,R(COLOUR)
        CALL SPAN

SC3     MOV R(LINE),A           ; far mountain, peak at line 60
        SUB #3C,A
        JL SC5
        CMP #5A,A
        JHS SC5
        MOV A,R(CW)
        MOV #2D,R(CX)
        MOV #MAGENTA,R(COLOUR)
        CMP #0C,A
        JHS SC4
        MOV #WHITE,R(COLOUR)
SC4     CALL SPAN

SC5     MOV R(LINE),A           ; near mountain, peak at line 85
        SUB #55,A
        JL SC7
        CMP #41,A
        JHS SC7
        MOV A,R(CW)
        MOV #6E,R(CX)
        MOV #GREEN,R(COLOUR)
        CMP #09,A
        JHS SC6
        MOV #WHITE,R(COLOUR)
SC6     CALL SPAN

SC7     MOV R(LINE),A           ; the sun on the water, every fourth line
        SUB #98,A
        JL SC8
        CMP #3A,A
        JHS SC8
        BTJO #03,A,SC8
        RR A
        RR A
        AND #3F,A
        MOV A,B
        LDA @REFW(B)
        MOV A,R(CW)
        MOV #78,R(CX)
        MOV #YELLOW,R(COLOUR)
        CALL SPAN

SC8     MOV R(LINE),A           ; the house: a roof ...
        SUB #C4,A
        JL SC12
        CMP #12,A
        JHS SC9
        MOV A,R(CW)
        MOV #1E,R(CX)
        MOV #RED,R(COLOUR)
        BR SPAN
SC9     CMP #2C,A               ; ... walls ...
        JHS SC12
        MOV #0E,R(CW)
        MOV #1E,R(CX)
        MOV #WHITE,R(COLOUR)
        CALL SPAN
        MOV R(LINE),A
        CMP #DA,A               ; ... two windows ...
        JL SC12
        CMP #E2,A
        JHS SC10
        MOV #03,R(CW)
        MOV #17,R(CX)
        MOV #YELLOW,R(COLOUR)
        CALL SPAN
        MOV #25,R(CX)
        CALL SPAN
        RETS
SC10    CMP #E4,A               ; ... and a door
        JL SC12
        MOV #02,R(CW)
        MOV #1E,R(CX)
        MOV #BLACK,R(COLOUR)
        CALL SPAN
SC12    RETS

SUNW    BYTE 12, 12, 12, 12, 12, 12, 12, 11, 11, 11, 11, 11, 10
        BYTE 10, 10, 9, 9, 8, 8, 7, 7, 6, 5, 3, 0
REFW    BYTE 10, 8, 11, 7, 9, 6, 8, 5, 7, 4, 6, 3, 5, 2, 3

; ------------------------------------------------ page 2: speech
SPEECH  CALL B_TEXTMODE
        MOVD #T_SPEECH,R7
        MOV #'2',R9
        CALL PAGETOP
        MOVD #X_SPEECH,R7
        CALL TEXTS
        MOVD #PHRASE,R7
        CALL B_SPEAK
        MOV #01,R(SPOKE)
        MOVD #SPWORK,R(IDLELO)
        MOVD #150.,R(LIMLO)
        CALL WAITPAGE
        MOV R(SPOKE),A          ; left by a key: cut the phrase short
        JEQ SPE1
        CALL B_SPSTOP
SPE1    RETS

SPWORK  CALL B_SPSERVE
        JNZ SPW1
        MOV R(SPOKE),A
        JEQ SPW1
        CLR R(SPOKE)            ; just ended
        MOVD #T_DONE,R7
        MOV #0D,R4
        MOV #0D,R5
        MOV #48,R8              ; green, plain
        CALL B_PRINT
        CLR A
SPW1    RETS

; ------------------------------------------- page 3: mixed mode
; Three text rows, 120 bitmap lines, ten text rows: 250 lines.
MIXED   MOVD #MIXPAGE,R3
        CALL B_VADDR
        MOVD #M_TOP,R7
        MOV #03,R(ROWS)
MX1     MOV #00,R9              ; text follows
        CMP #01,R(ROWS)
        JNE MX2
        MOV #10,R9              ; the last row: bitmap lines follow
MX2     CALL TEXTROW
        DJNZ R(ROWS),MX1

        CLR R(LINE)
MX3     CALL STRIPES
        CALL COPYROW
        INC R(LINE)
        CMP #78,R(LINE)
        JL MX3

        MOVD #M_BOTTOM,R7
        MOV #0A,R(ROWS)
MX4     CLR R9
        CALL TEXTROW
        DJNZ R(ROWS),MX4

        MOVD #MIXPAGE,R3
        MOV #0A,B
        CALL B_VREG16
        MOVP #06,P(VREG)        ; mixed mode
        MOVP #C0,P(VREG)
        MOVD #NOWORK,R(IDLELO)
        MOVD #300.,R(LIMLO)
        BR WAITPAGE

; A text row of the mixed page: an attribute byte, then 40 characters of
; *R7 (padded with spaces), then descriptor R9 and a spare byte.
TEXTROW LDA *R7
        MOV A,R8
        CALL NEXT7
        MOV #28,R10
TR1     MOV R8,A
        MOVP A,P(VRAM)
        LDA *R7
        JEQ TR2
        CALL NEXT7
        JMP TR3
TR2     MOV #20,A
TR3     MOVP A,P(VRAM)
        DJNZ R10,TR1
        LDA *R7                 ; past the text's end
        JNZ TR4
        CALL NEXT7
TR4     MOV R9,A
        MOVP A,P(VRAM)
        MOVP #00,P(VRAM)
        RETS

; A bitmap line of the mixed page: diagonal colour bands and a white wave.
STRIPES CLR R(GROUP)
        CLR B
ST1     MOV R(LINE),A           ; colour = group / 4 + line / 16
        RR A
        RR A
        RR A
        RR A
        AND #0F,A
        MOV A,R(COLOUR)
        MOV R(GROUP),A
        RR A
        RR A
        AND #3F,A
        ADD A,R(COLOUR)
        AND #07,R(COLOUR)
        CLR A
        BTJZ #04,R(COLOUR),ST2
        MOV #FF,A
ST2     STA @LB(B)
        CLR A
        BTJZ #02,R(COLOUR),ST3
        MOV #FF,A
ST3     STA @LB+1(B)
        CLR A
        BTJZ #01,R(COLOUR),ST4
        MOV #FF,A
ST4     STA @LB+2(B)
        ADD #03,B
        INC R(GROUP)
        CMP #28,R(GROUP)
        JL ST1
        MOV R(LINE),A           ; the wave: a line 60 lines long, twice
        CMP #3C,A
        JL ST5
        SUB #3C,A
ST5     MOV A,B
        LDA @SINE(B)
        MOV A,R(CX)
        MOV #04,R(CW)
        MOV #WHITE,R(COLOUR)
        BR SPAN

; The line buffer as a bitmap line of the mixed page: 120 bytes, then the
; descriptor (bitmap lines follow, except after the last) and a spare byte.
COPYROW CLR B
CR1     LDA @LB(B)
        MOVP A,P(VRAM)
        INC B
        CMP #78,B
        JL CR1
        MOV #10,A
        CMP #77,R(LINE)
        JNE CR2
        CLR A
CR2     MOVP A,P(VRAM)
        MOVP #00,P(VRAM)
        RETS

SINE    BYTE 80, 86, 93, 99, 105, 111, 116, 121, 126, 130, 134, 137, 139, 141, 142
        BYTE 142, 142, 141, 139, 137, 134, 130, 126, 121, 116, 111, 105, 99, 93, 86
        BYTE 80, 74, 67, 61, 55, 49, 44, 39, 34, 30, 26, 23, 21, 19, 18
        BYTE 18, 18, 19, 21, 23, 26, 30, 34, 39, 44, 49, 55, 61, 67, 74

; --------------------------------------------------- page 4: tape
TAPE    CALL B_TEXTMODE
        MOVD #T_TAPE,R7
        MOV #'4',R9
        CALL PAGETOP
        MOVD #X_TAPE,R7
        CALL TEXTS
        CLR R(EDGEHI)
        CLR R(EDGELO)
        MOVP P(PORTA),A
        AND #10,A
        MOV A,R(LEVEL)
        CLR B                   ; an empty history
        MOV #20,A
TP1     STA @HIST(B)
        INC B
        CMP #26,B
        JL TP1
        CALL NOW
        MOVD R3,R(UPDLO)
        CALL TPSHOW
        MOVD #TPWORK,R(IDLELO)
        MOVD #400.,R(LIMLO)
        BR WAITPAGE

; Counts the changes of the input bit; five times a second shows them.
TPWORK  MOVP P(PORTA),A
        AND #10,A
        CMP R(LEVEL),A
        JEQ TW1
        MOV A,R(LEVEL)
        INC R(EDGELO)
        ADC #00,R(EDGEHI)
TW1     CALL NOW
        SUB R(UPDLO),R3
        SBB R(UPDHI),R2
        MOV R2,A
        JNZ TW2
        CMP #0A,R3
        JL TW3
TW2     CALL NOW
        MOVD R3,R(UPDLO)
        CALL TPSHOW
TW3     CLR A
        RETS

TPSHOW  MOV #31,A               ; the bit, big
        BTJO #10,R(LEVEL),TS1
        MOV #30,A
TS1     MOV #08,R4
        MOV #10,R5
        MOV #GREEN*32.+3,R8
        CALL B_PUTCELL
        INC R5
        CALL B_PUTCELL
        INC R4
        CALL B_PUTCELL
        DEC R5
        CALL B_PUTCELL
        MOVD R(EDGELO),R3       ; the count
        MOV #0B,R4
        MOV #10,R5
        MOV #E8,R8
        CALL B_PRNUM
        CLR B                   ; the history moves left by one cell
TS2     LDA @HIST+1(B)
        STA @HIST(B)
        INC B
        CMP #25,B
        JL TS2
        MOV #50,A               ; low: blocks at the bottom
        BTJZ #10,R(LEVEL),TS3
        MOV #23,A               ; high: blocks at the top
TS3     STA @HIST+$25
        MOVD #TEXTPAGE+14.*80.+2,R3
        CALL B_VADDR
        CLR B
TS4     MOVP #A_MOSAIC+YELLOW*32.+BLUE,P(VRAM)
        LDA @HIST(B)
        MOVP A,P(VRAM)
        INC B
        CMP #26,B
        JL TS4
        RETS

; ------------------------------------------------------------ texts
FOOTER  BYTE "Orvane demo tour. Any key: next page", 0
T_SPEECH BYTE "SPEECH", 0
T_TAPE  BYTE "CASSETTE", 0
T_DONE  BYTE "Said it. ", 0

X_SPEECH BYTE 5, 1, WHITE*32+A_PLAIN
        BYTE "The machine says a phrase of our own,", 0
        BYTE 6, 1, WHITE*32+A_PLAIN
        BYTE "voiced and unvoiced frames for its", 0
        BYTE 7, 1, WHITE*32+A_PLAIN
        BYTE "speech synthesizer:", 0
        BYTE 9, 6, YELLOW*32+A_PLAIN
        BYTE "Hello. I am Orvane.", 0
        BYTE 11, 1, CYAN*32+A_PLAIN
        BYTE "Command $09 and 24 bytes start it.", 0
        BYTE 12, 1, CYAN*32+A_PLAIN
        BYTE "Report $03 asks for more: $0A and 8.", 0
        BYTE 13, 1, CYAN*32+A_PLAIN
        BYTE "Report $04:", 0
        BYTE 15, 1, WHITE*32+A_PLAIN
        BYTE "Glyphs from the I/O processor's ROM,", 0
        BYTE 16, 1, WHITE*32+A_PLAIN
        BYTE "command $0B, and mosaics, $0D:", 0
        BYTE 18, 2, YELLOW*32+A_MOSAIC+BLUE
        BYTE "X_TX_TX_TX_TX_TX_TX_TX_TX_TX_TX_TX_T", 0
        BYTE $FF

X_TAPE  BYTE 5, 1, WHITE*32+A_PLAIN
        BYTE "Play a tape and watch the cassette", 0
        BYTE 6, 1, WHITE*32+A_PLAIN
        BYTE "input, bit 4 of port A:", 0
        BYTE 8, 1, CYAN*32+A_PLAIN
        BYTE "Bit now", 0
        BYTE 11, 1, CYAN*32+A_PLAIN
        BYTE "Changes", 0
        BYTE 13, 1, CYAN*32+A_PLAIN
        BYTE "Five times a second, high or low:", 0
        BYTE 17, 1, WHITE*32+A_PLAIN
        BYTE "orvane-headless --cassette tape.wav", 0
        BYTE 18, 1, WHITE*32+A_PLAIN
        BYTE "plays one into it.", 0
        BYTE $FF

; Mixed page texts: an attribute, then the text.
M_TOP   BYTE WHITE*32+A_PLAIN+BLUE
        BYTE " 3/4  MIXED MODE", 0
        BYTE WHITE*32+A_PLAIN
        BYTE 0
        BYTE YELLOW*32+A_PLAIN
        BYTE " Text rows above, bitmap lines below:", 0
M_BOTTOM BYTE YELLOW*32+A_PLAIN
        BYTE " ...and text rows again.", 0
        BYTE WHITE*32+A_PLAIN
        BYTE 0
        BYTE WHITE*32+A_PLAIN
        BYTE " One page holds them all: each text row", 0
        BYTE WHITE*32+A_PLAIN
        BYTE " and each bitmap line ends in a byte", 0
        BYTE WHITE*32+A_PLAIN
        BYTE " that says whether text or bitmap comes", 0
        BYTE WHITE*32+A_PLAIN
        BYTE " next (bit 4).", 0
        BYTE WHITE*32+A_PLAIN
        BYTE 0
        BYTE CYAN*32+A_PLAIN
        BYTE " 120 bitmap lines, 13 text rows.", 0
        BYTE WHITE*32+A_PLAIN
        BYTE 0
        BYTE MAGENTA*32+A_PLAIN
        BYTE " Orvane demo tour. Any key: next page", 0

        INCLUDE "phrase.inc"
