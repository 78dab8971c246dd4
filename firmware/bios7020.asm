; Orvane open firmware: the main processor's internal ROM ($F800-$FFFF).
;
; At reset it sets up the stack, the timer and the interrupts, greets the
; I/O processor, fetches the two character sets from it into video RAM,
; puts the video processor in text mode and shows the title screen. A
; cartridge that starts with our header (docs/firmware.md) is started three
; seconds later, or at once on a key; without one, typed keys appear in the
; window at the bottom of the screen.
;
; Talking to the I/O processor. Our lines: B0 (port B bit 0) and B1 (bit 1);
; its lines: A0 (port A bit 0) and INT1; between us, the mailbox (P48).
; - We send a byte with B1 and B0 raised first: the I/O side then waits for
;   B1 to fall and can start no report of its own meanwhile. If a report
;   began just before, its INT1 is already waiting: we let it in and try
;   again. Otherwise we put the byte in the mailbox and drop B1; the I/O
;   side takes the byte, raises A0 and pulses INT1, and the INT1 routine
;   drops B0 and waits for A0 to fall.
; - It sends us a byte by putting it in the mailbox, dropping A0 and
;   pulsing INT1: the INT1 routine reads it, raises B1, waits for A0 to
;   rise, drops B1 and B0. The bytes of one reply follow each other in
;   interrupts back to back.
        INCLUDE "orvane.inc"

; ---- firmware registers (R16-R39) ----
KQHEAD  EQU 18                  ; key queue: next free slot (INT1 writes)
KQTAIL  EQU 19                  ; next key to hand out
PSTATE  EQU 20                  ; what the next received byte is, see INT1
CNTHI   EQU 21                  ; R21:R22 block reply: data bytes still to come - 1
CNTLO   EQU 22
IOFLAGS EQU 23                  ; bits below
BLKAHI  EQU 24                  ; R24:R25 video RAM address of the current slice
BLKALO  EQU 25
BLKW    EQU 26                  ; bytes a slice
BLKN    EQU 27                  ; bytes left in this slice
BLKS    EQU 28                  ; slices left; the rest of the reply is skipped
SPHI    EQU 29                  ; R29:R30 speech: next byte to send
SPLO    EQU 30
SPLEFT  EQU 31                  ; speech: 8-byte groups left
CURROW  EQU 32                  ; console cursor
CURCOL  EQU 33
CARTHI  EQU 34                  ; R34:R35 cartridge header, 0 if none
CARTLO  EQU 35
STARTHI EQU 36                  ; R36:R37 tick count when the title appeared
STARTLO EQU 37

F_TAKEN EQU $01                 ; the I/O side took the byte we sent
F_SPLOW EQU $02                 ; report $03: the speech buffer runs low
F_SPEND EQU $04                 ; report $04: speech has ended
F_HELLO EQU $08                 ; the greeting byte came
F_BLOCK EQU $10                 ; a block reply has ended
F_SPEAK EQU $20                 ; a phrase is being spoken

KEYQ    EQU $C100               ; 16 key codes

; ---- console window of the title screen ----
CONTOP  EQU 17
CONBOT  EQU 22
CONATTR EQU WHITE*32+A_PLAIN+BLUE
WAITTICKS EQU 150               ; three seconds before a cartridge starts

        ORG $F800
        BR COLD                 ; the calls of orvane.inc, in this order
        BR SEND
        BR GETKEY
        BR TEXTMODE
        BR CLS
        BR PRINT
        BR PUTCELL
        BR VADDR
        BR VREG16
        BR SPEAK
        BR SPSERVE
        BR CLICK
        BR PRNUM
        BR SPSTOP

; ---------------------------------------------------------------- reset
COLD    DINT
        MOV #STACK0,B
        LDSP
        MOV #18,B               ; R16-R39, the firmware's registers: 0
        CLR A
CLRREG  STA @$000F(B)
        DJNZ B,CLRREG
        MOVP #00,P(PORTB)       ; handshake lines low, sound off
        MOVP #5F,P2             ; timer 1: 16 x 32 x 96 cycles, 50 ticks a second
        MOVP #9F,P3
        MOVP #2F,P(IOCNT0)      ; INT1 and INT2 on, old flags cleared
        EINT
        ORP #01,P(PORTB)        ; B0 high: the I/O processor greets us
HELLO   BTJOP #01,P(PORTB),HELLO ; the INT1 routine drops B0 when it is over

        CALL TEXTMODE
        CALL TITLE
        CALL FINDCART
        MOV R(CARTHI),A
        OR R(CARTLO),A
        JEQ NOCART

; A cartridge: its name, then three seconds or a key.
        MOVD #T_CART,R7
        CALL DRAWTAB
        MOVD R(CARTLO),R7       ; its name follows the magic and the entry
        ADD #06,R7
        ADC #00,R6
        MOV #0E,R4
        MOV #0C,R5
        MOV #E8,R8              ; white, plain
        CALL PRINT
        CALL TICKS
        MOVD R3,R(STARTLO)
CWAIT   CALL GETKEY
        JNZ CSTART
        CALL TICKS
        SUB R(STARTLO),R3
        SBB R(STARTHI),R2
        MOV R2,A
        JNZ CSTART
        CMP #WAITTICKS,R3
        JL CWAIT
CSTART  MOVD R(CARTLO),R11      ; entry: the word after the magic
        ADD #04,R11
        ADC #00,R10
        LDA *R11
        MOV A,R2
        INC R11
        ADC #00,R10
        LDA *R11
        MOV A,R3
        DINT
        MOV #STACK0,B
        LDSP
        EINT
        BR *R3

; No cartridge: a console.
NOCART  MOVD #T_NOCART,R7
        CALL DRAWTAB
        CALL CONCLR
CONLOOP CALL GETKEY
        JEQ CONLOOP
        CALL CONPUT
        JMP CONLOOP

; R2:R3 = tick count, read in one piece.
TICKS   DINT
        MOV R(TICKHI),R2
        MOV R(TICKLO),R3
        EINT
        RETS

; ------------------------------------------------------ title screen
TITLE   MOV #00,A               ; black page
        CALL CLS
        CLR R4                  ; rows 0-3: a blue band (spaces that paint
TBAND   MOV #84,A               ; blue and pass blue on as background)
        CALL FILLROW
        INC R4
        CMP #04,R4
        JL TBAND
        MOV #05,R4
        CALL RAINBOW
        MOV #18,R4
        CALL RAINBOW
        MOVD #T_TITLE,R7
        CALL DRAWTAB
        RETS

; A row of plain spaces in eight colours, five cells each.
RAINBOW CLR R5
        CALL CELLADR
        CALL VADDR
        CLR B
RB1     LDA @RAINCOL(B)
        MOV #05,R9
RB2     MOVP A,P(VRAM)
        MOVP #20,P(VRAM)
        DJNZ R9,RB2
        INC B
        CMP #08,B
        JL RB1
        RETS
RAINCOL BYTE A_PLAIN+RED, A_PLAIN+YELLOW, A_PLAIN+GREEN, A_PLAIN+CYAN
        BYTE A_PLAIN+BLUE, A_PLAIN+MAGENTA, A_PLAIN+WHITE, A_PLAIN+YELLOW

; Row R4: 40 spaces with attribute A.
FILLROW PUSH A
        CLR R5
        CALL CELLADR
        CALL VADDR
        POP A
        MOV #28,R9
FR1     MOVP A,P(VRAM)
        MOVP #20,P(VRAM)
        DJNZ R9,FR1
        RETS

; Texts at *R7: row, column, attribute, text, 0 ... up to a row $FF.
DRAWTAB LDA *R7
        CMP #FF,A
        JEQ DTEND
        MOV A,R4
        CALL NEXT7
        LDA *R7
        MOV A,R5
        CALL NEXT7
        LDA *R7
        MOV A,R8
        CALL NEXT7
        CALL PRINT
        JMP DRAWTAB
DTEND   RETS

NEXT7   INC R7
        ADC #00,R6
        RETS

; Looks for our header at the first byte of a 32, 16 or 8 KB cartridge.
FINDCART MOVD #CARTS,R7
FC1     LDA *R7
        MOV A,R2
        CALL NEXT7
        LDA *R7
        MOV A,R3
        CALL NEXT7
        OR R2,A
        JEQ FCNONE
        MOVD R3,R11
        MOVD #MAGIC,R13
        MOV #04,R9
FC2     LDA *R11
        MOV A,R14
        LDA *R13
        CMP R14,A
        JNE FC1
        INC R11
        ADC #00,R10
        INC R13
        ADC #00,R12
        DJNZ R9,FC2
        MOVD R3,R(CARTLO)
        RETS
FCNONE  CLR R(CARTHI)
        CLR R(CARTLO)
        RETS
CARTS   WORD $0200, $4000, $6000, 0
MAGIC   TEXT "ORVN"

; ---------------------------------------------------------- console
CONCLR  MOV #CONTOP,R4
CC1     MOV #CONATTR,A
        CALL FILLROW
        INC R4
        CMP #CONBOT+1,R4
        JL CC1
        MOV #CONTOP,R(CURROW)
        MOV #01,R(CURCOL)
        JMP CDRAW

; Shows key code A in the window: Enter starts a new line, Delete takes
; the last character back; other codes outside $20-$7E are left alone.
CONPUT  CMP #0D,A
        JEQ CNL
        CMP #08,A
        JEQ CBS
        CMP #20,A
        JL CRET
        CMP #7F,A
        JHS CRET
        PUSH A
        CALL CURPOS
        POP A
        CALL PUTCELL
        INC R(CURCOL)
        CMP #27,R(CURCOL)
        JL CDRAW
CNEXT   MOV #01,R(CURCOL)
        INC R(CURROW)
        CMP #CONBOT+1,R(CURROW)
        JL CDRAW
        JMP CONCLR              ; full: a clean window
CDRAW   CALL CURPOS
        MOV #FF,A               ; a flashing block
        CALL PUTCELL
CRET    RETS
CNL     CALL CURPOS
        MOV #20,A
        CALL PUTCELL
        JMP CNEXT
CBS     CMP #01,R(CURCOL)
        JEQ CRET
        CALL CURPOS
        MOV #20,A
        CALL PUTCELL
        DEC R(CURCOL)
        JMP CDRAW
CURPOS  MOV R(CURROW),R4
        MOV R(CURCOL),R5
        MOV #CONATTR,R8
        RETS

; ----------------------------------------------------- video helpers
; R2:R3 = address of the cell at row R4, column R5.
CELLADR MOV R4,A
        MOV #50,B
        MPY B,A
        MOV A,R2
        MOV B,R3
        MOV R5,A
        ADD R5,A
        ADD A,R3
        ADC #00,R2
        RETS

VADDR   MOVP #21,P(VREG)        ; column and row registers: the write pointer
        MOV R3,A
        MOVP A,P(VREG)
        MOV R2,A
        MOVP A,P(VREG)
        RETS

; 8-bit register B = A.
VSET8   MOVP B,P(VREG)
        MOVP A,P(VREG)
        RETS

; 16-bit register B = R2:R3. The video processor loads it from the column
; and row registers plus 1 (plus 2 for the character generators), after a
; data byte that it ignores and, except for register 9, one it swallows.
VREG16  DECD R3
        CMP #0B,B
        JL V16A
        CMP #0F,B
        JHS V16A
        DECD R3
V16A    MOVP #21,P(VREG)
        MOV R3,A
        MOVP A,P(VREG)
        MOV R2,A
        MOVP A,P(VREG)
        MOVP B,P(VREG)
        MOVP #00,P(VREG)
        CMP #09,B
        JEQ V16B
        MOVP #00,P(VREG)
V16B    RETS

TEXTMODE MOVP P(VRESET),A       ; 16-bit registers back to 0
        MOV #06,B               ; blank while the sets load
        CLR A
        CALL VSET8
        CALL LOADSETS
        MOVD #TEXTPAGE,R3
        MOV #0A,B
        CALL VREG16
        MOVD #TEXTSET,R3
        MOV #0B,B
        CALL VREG16
        MOVD #TEXTSET,R3
        MOV #0D,B
        CALL VREG16
        MOVD #MOSAICSET,R3
        MOV #0C,B
        CALL VREG16
        MOVD #MOSAICSET,R3
        MOV #0E,B
        CALL VREG16
        MOV #05,B               ; character set 3 drawn plain
        MOV #08,A
        CALL VSET8
        MOV #07,B               ; black background
        CLR A
        CALL VSET8
        MOV #06,B               ; text mode
        MOV #40,A
        CALL VSET8
        RETS

; Both character generators: cleared, then filled from the I/O processor.
LOADSETS MOVD #TEXTSET,R3
        CALL VADDR
        MOV #0D,R4              ; 13 x 256 bytes: $1000-$1CFF
        CLR R5
LS1     MOVP #00,P(VRAM)
        DJNZ R5,LS1
        DJNZ R4,LS1
        MOVD #TEXTSET+$20,R(BLKALO) ; text set: codes $20-$7F
        MOV #60,R(BLKW)
        MOV #0B,A
        CALL BLOCK
        MOVD #MOSAICSET+$20,R(BLKALO) ; mosaic set: codes $20-$5F
        MOV #40,R(BLKW)
        MOV #0D,A
        CALL BLOCK
        RETS

; Sends block command A; the INT1 routine writes the reply's first ten
; slices of BLKW bytes into video RAM, 128 bytes apart, from BLKA on.
BLOCK   PUSH A
        MOVD R(BLKALO),R3
        CALL VADDR
        MOV R(BLKW),R(BLKN)
        MOV #0A,R(BLKS)
        AND #~F_BLOCK,R(IOFLAGS)
        POP A
        CALL SEND
BLOCKW  BTJZ #F_BLOCK,R(IOFLAGS),BLOCKW
        RETS

CLS     PUSH A
        MOVD #TEXTPAGE,R3
        CALL VADDR
        POP A
        MOV #04,R4
CL1     MOV #FA,R5
CL2     MOVP A,P(VRAM)
        MOVP #20,P(VRAM)
        DJNZ R5,CL2
        DJNZ R4,CL1
        RETS

PRINT   CALL CELLADR
        CALL VADDR
PR1     LDA *R7
        PUSH ST
        CALL NEXT7
        POP ST
        JEQ PR2
        MOV R8,B
        MOVP B,P(VRAM)
        MOVP A,P(VRAM)
        INC R5
        JMP PR1
PR2     RETS

PUTCELL PUSH A
        CALL CELLADR
        CALL VADDR
        MOV R8,A
        MOVP A,P(VRAM)
        POP A
        MOVP A,P(VRAM)
        RETS

PRNUM   MOVD R3,R11
        CALL CELLADR
        CALL VADDR
        MOVD #POW10,R7
        MOV #05,R9
PN1     LDA *R7
        MOV A,R14
        CALL NEXT7
        LDA *R7
        MOV A,R15
        CALL NEXT7
        MOV #'0',R12
PN2     SUB R15,R11
        SBB R14,R10
        JL PN3
        INC R12
        JMP PN2
PN3     ADD R15,R11
        ADC R14,R10
        MOV R8,A
        MOVP A,P(VRAM)
        MOV R12,A
        MOVP A,P(VRAM)
        DJNZ R9,PN1
        RETS
POW10   WORD 10000, 1000, 100, 10, 1

; ------------------------------------------------- keys and sound
GETKEY  MOV R(KQTAIL),B
        CMP R(KQHEAD),B
        JEQ GKNONE
        LDA @KEYQ(B)
        INC B
        AND #0F,B
        MOV B,R(KQTAIL)
        PUSH A
        CALL CLICK
        POP A
        RETS
GKNONE  CLR A
        RETS

; Port B bit 3 high for about two milliseconds.
CLICK   ORP #08,P(PORTB)
        MOV #02,R2
        CLR R3
CK1     DJNZ R3,CK1
        DJNZ R2,CK1
        ANDP #F7,P(PORTB)
        RETS

; ----------------------------------------------------------- speech
; The phrase at *R7: a count N, then 24 + 8 x N bytes of speech data. The
; first 24 go with command $09; each low report is answered with command
; $0A and the next 8, until the end report.
SPEAK   LDA *R7
        MOV A,R(SPLEFT)
        CALL NEXT7
        AND #~(F_SPLOW+F_SPEND),R(IOFLAGS)
        OR #F_SPEAK,R(IOFLAGS)
        MOV #09,A
        CALL SEND
        MOV #18,R4
        CALL SPBYTES
        MOVD R7,R(SPLO)
        RETS

SPSERVE BTJZ #F_SPEAK,R(IOFLAGS),SPOFF
        BTJO #F_SPEND,R(IOFLAGS),SPDONE
        BTJZ #F_SPLOW,R(IOFLAGS),SPON
        AND #~F_SPLOW,R(IOFLAGS)
        MOV R(SPLEFT),A
        JEQ SPON
        DEC R(SPLEFT)
        MOVD R(SPLO),R7
        MOV #0A,A
        CALL SEND
        MOV #08,R4
        CALL SPBYTES
        MOVD R7,R(SPLO)
SPON    MOV #01,A
        RETS
SPDONE  AND #~(F_SPEAK+F_SPEND+F_SPLOW),R(IOFLAGS)
SPOFF   CLR A
        RETS

; Cuts a phrase short: the speech reset command.
SPSTOP  MOV #08,A
        CALL SEND
        AND #~(F_SPEAK+F_SPEND+F_SPLOW),R(IOFLAGS)
        RETS

; Sends R4 bytes from *R7 on.
SPBYTES LDA *R7
        CALL SEND
        CALL NEXT7
        DJNZ R4,SPBYTES
        RETS

; ------------------------------------------------- the I/O processor
; Sends A; returns once the I/O processor has taken it. Changes nothing else.
SEND    DINT
        ORP #02,P(PORTB)        ; B1 high, then B0: the I/O side waits for B1
        ORP #01,P(PORTB)
        BTJOP #02,P(IOCNT0),SENDBSY ; a byte of a report came first
        MOVP A,P(MAILBOX)
        AND #~F_TAKEN,R(IOFLAGS)
        ANDP #FD,P(PORTB)       ; B1 low: the byte is taken
        EINT
SENDW   BTJZ #F_TAKEN,R(IOFLAGS),SENDW
        RETS
SENDBSY EINT                    ; the report's INT1 runs, then we try again
        JMP SEND

; INT1. With A0 high the I/O processor has taken our byte: drop B0 and wait
; until it drops A0. With A0 low it has a byte for us.
INT1    PUSH A
        BTJOP #01,P(PORTA),INTACK
        PUSH B
        MOVP P(MAILBOX),A
        ORP #02,P(PORTB)        ; B1 high: seen
INTW1   BTJZP #01,P(PORTA),INTW1 ; A0 rises when the pulse is over
        ANDP #FD,P(PORTB)       ; B1 low
        ANDP #FE,P(PORTB)       ; B0 low
        CALL PARSE
        POP B
        POP A
        RETI
INTACK  ANDP #FE,P(PORTB)       ; B0 low
INTW2   BTJOP #01,P(PORTA),INTW2
        OR #F_TAKEN,R(IOFLAGS)
        POP A
        RETI

; A received byte, by PSTATE: 0 the first byte of a report or reply,
; 1 a key code, 2 and 3 the length of a block reply, 4 its data.
PARSE   MOV R(PSTATE),B
        JNZ PS1
        CMP #01,A               ; key report
        JNE PL3
        MOV #01,R(PSTATE)
        RETS
PL3     CMP #03,A               ; speech runs low
        JNE PL4
        OR #F_SPLOW,R(IOFLAGS)
        RETS
PL4     CMP #04,A               ; speech ended
        JNE PL7
        OR #F_SPEND,R(IOFLAGS)
        RETS
PL7     CMP #07,A               ; a ROM block follows
        JNE PL8
        MOV #02,R(PSTATE)
        RETS
PL8     CMP #08,A               ; the greeting
        JNE PLX
        OR #F_HELLO,R(IOFLAGS)
PLX     RETS                    ; $09, serial status: nothing to do

PS1     CMP #01,B
        JNE PS2
        CLR R(PSTATE)
        CMP #04,A               ; a key let go
        JEQ PLX
        MOV R(KQHEAD),B
        STA @KEYQ(B)
        INC B
        AND #0F,B
        CMP R(KQTAIL),B
        JEQ PLX                 ; full: the key is lost
        MOV B,R(KQHEAD)
        RETS
PS2     CMP #02,B
        JNE PS3
        MOV A,R(CNTHI)
        MOV #03,R(PSTATE)
        RETS
PS3     CMP #03,B
        JNE PS4
        MOV A,R(CNTLO)
        MOV #04,R(PSTATE)
        RETS
PS4     MOV R(BLKS),B           ; all slices written: the rest is skipped
        JEQ PS6
        MOVP A,P(VRAM)
        DJNZ R(BLKN),PS6
        MOV R(BLKW),R(BLKN)     ; next slice, 128 bytes on
        DEC R(BLKS)
        ADD #80,R(BLKALO)
        ADC #00,R(BLKAHI)
        MOVP #21,P(VREG)
        MOV R(BLKALO),A
        MOVP A,P(VREG)
        MOV R(BLKAHI),A
        MOVP A,P(VREG)
PS6     MOV R(CNTHI),A
        OR R(CNTLO),A
        JEQ PS7
        DECD R(CNTLO)
        RETS
PS7     CLR R(PSTATE)
        OR #F_BLOCK,R(IOFLAGS)
        RETS

; INT2: timer 1.
INT2    INC R(TICKLO)
        ADC #00,R(TICKHI)
NOINT   RETI

; ------------------------------------------------------------ texts
T_TITLE BYTE 1, 13, YELLOW*32+3
        BYTE "OO", 0
        BYTE 2, 13, YELLOW*32+3
        BYTE "OO", 0
        BYTE 1, 15, CYAN*32+3
        BYTE "RR", 0
        BYTE 2, 15, CYAN*32+3
        BYTE "RR", 0
        BYTE 1, 17, WHITE*32+3
        BYTE "VV", 0
        BYTE 2, 17, WHITE*32+3
        BYTE "VV", 0
        BYTE 1, 19, GREEN*32+3
        BYTE "AA", 0
        BYTE 2, 19, GREEN*32+3
        BYTE "AA", 0
        BYTE 1, 21, MAGENTA*32+3
        BYTE "NN", 0
        BYTE 2, 21, MAGENTA*32+3
        BYTE "NN", 0
        BYTE 1, 23, RED*32+3
        BYTE "EE", 0
        BYTE 2, 23, RED*32+3
        BYTE "EE", 0
        BYTE 3, 11, WHITE*32+A_PLAIN+BLUE
        BYTE "open firmware 1.0", 0
        BYTE 7, 2, CYAN*32+A_PLAIN
        BYTE "Processor", 0
        BYTE 7, 13, WHITE*32+A_PLAIN
        BYTE "TMS7020, 2 KB RAM at C000", 0
        BYTE 8, 2, CYAN*32+A_PLAIN
        BYTE "Video", 0
        BYTE 8, 13, WHITE*32+A_PLAIN
        BYTE "TMS3556, 32 KB video RAM", 0
        BYTE 9, 2, CYAN*32+A_PLAIN
        BYTE "Speech", 0
        BYTE 9, 13, WHITE*32+A_PLAIN
        BYTE "TMS5220", 0
        BYTE 10, 2, CYAN*32+A_PLAIN
        BYTE "Keyboard", 0
        BYTE 10, 13, WHITE*32+A_PLAIN
        BYTE "TMS7041 I/O processor", 0
        BYTE 12, 17, GREEN*32+A_PLAIN
        BYTE 'R'+FLASH, 'E'+FLASH, 'A'+FLASH, 'D'+FLASH, 'Y'+FLASH, 0
        BYTE $FF

T_CART  BYTE 14, 1, YELLOW*32+A_PLAIN
        BYTE "Cartridge:", 0
        BYTE 15, 1, WHITE*32+A_PLAIN
        BYTE "Starts in 3 seconds, or press a key.", 0
        BYTE $FF

T_NOCART BYTE 14, 1, YELLOW*32+A_PLAIN
        BYTE "No cartridge.", 0
        BYTE 15, 1, WHITE*32+A_PLAIN
        BYTE "Type on the keyboard:", 0
        BYTE $FF

; ---------------------------------------------------------- vectors
        ORG $FFF8
        WORD NOINT              ; INT3: nothing drives it
        WORD INT2
        WORD INT1
        WORD COLD
