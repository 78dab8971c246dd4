; Talks to the I/O processor the way the machine's firmware does: the
; power-on greeting, commands sent byte by byte, and every byte the I/O
; processor sends (replies and reports) taken in the INT1 routine and
; appended to a log in RAM.
;
; At start it greets the I/O processor, sends command $04 (check serial,
; answered by the report $09), $02 (joystick 1, answered with the last key:
; $01 and the code) and $0B (ROM block A: $07 $04 $F6 and 1271 bytes), adds
; up the 1271 ROM bytes and stores the sum. Then it idles and runs commands
; that the test writes to CMD.
;
; The handshake, as seen from here:
;   B0 (port B bit 0)  our request line      A0 (port A bit 0)  the I/O side's
;   B1 (port B bit 1)  our strobe            INT1               "look at me"
; To send a byte: put it in the mailbox (P48) and raise B0; the I/O side
; takes it, raises A0 and pulses INT1; we drop B0 and wait for A0 to fall.
; To take a byte: on INT1 with A0 low, read the mailbox, raise B1, wait for
; A0 to rise, drop B1.

; ---- RAM ----
CMD     EQU $C000               ; command from the test, 0 when done
CMDARG  EQU $C001               ; its argument
STAGE   EQU $C002               ; 1 greeted, 2 start-up commands done
CSUM    EQU $C004               ; sum of the ROM bytes of block A, high byte first
RXMARK  EQU $C006               ; log position when the last command started
LOWS    EQU $C008               ; speech: low reports seen
SPOKEN  EQU $C009               ; speech: 1 once the end report came
RXLOG   EQU $C010               ; every byte received, in order
BLKEND  EQU RXLOG+4+1274        ; end of the block reply in the log

; ---- cartridge area, filled by the test ----
PHRASE  EQU $4000               ; count of 8-byte groups after the first 24
PHDATA  EQU $4001               ; speech data: 24 + 8 x count bytes

; ---- registers ----
RXPTR   EQU 3                   ; R2:R3: next free byte of the log
TAKEN   EQU 4                   ; R4: 1 once the byte sent was taken
SENT    EQU 8                   ; R8: bytes sent so far
COUNT   EQU 9                   ; R9: bytes left in SENDBLK
SUMHI   EQU 12                  ; R12:R13 the sum
SUMLO   EQU 13
SRC     EQU 15                  ; R14:R15: bytes to send, bytes to add up
GROUPS  EQU 16                  ; R16: speech groups left
RDPTR   EQU 21                  ; R20:R21: next log byte to look at
STACK   EQU $60

        ORG $F800
RESET   MOV #STACK,B
        LDSP
        MOVD #RXLOG,R(RXPTR)
        CLR R(TAKEN)
        CLR R(SENT)
        MOVP #01,P0             ; INT1 on
        EINT
        ORP #01,P6              ; B0 high: the I/O processor greets us
GREETW  BTJOP #01,P6,GREETW     ; the INT1 routine drops B0 when it is over
        MOV #1,A
        STA @STAGE

        MOV #04,A               ; check serial
        CALL SEND
        MOVD #RXLOG+2,R11
        CALL WAITRX
        MOV #02,A               ; joystick 1
        CALL SEND
        MOVD #RXLOG+4,R11
        CALL WAITRX
        MOV #0B,A               ; ROM block A
        CALL SEND
        MOVD #BLKEND,R11
        CALL WAITRX

        CLR R(SUMHI)
        CLR R(SUMLO)
        MOVD #RXLOG+7,R(SRC)
SUMLP   LDA *R(SRC)
        ADD A,R(SUMLO)
        ADC #0,R(SUMHI)
        INC R(SRC)
        ADC #0,R(SRC-1)
        CMP #LOW(BLKEND),R(SRC)
        JNZ SUMLP
        CMP #HIGH(BLKEND),R(SRC-1)
        JNZ SUMLP
        MOV R(SUMHI),A
        STA @CSUM
        MOV R(SUMLO),A
        STA @CSUM+1
        MOV #2,A
        STA @STAGE

; Idle: the I/O processor cycles through ready and poll, and reports keys.
WAITCMD LDA @CMD
        JEQ WAITCMD
        CALL MARK
        CMP #1,A
        JEQ DOFEED
        CMP #2,A
        JEQ DOSPEAK
        CMP #3,A
        JEQ DOSEND
CMDEND  CLR A
        STA @CMD
        JMP WAITCMD

; CMD 3: send the byte in CMDARG.
DOSEND  LDA @CMDARG
        CALL SEND
        JMP CMDEND

; CMD 1: a speech feed of eight silent bytes.
DOFEED  MOV #0A,A
        CALL SEND
        MOVD #SILENCE,R(SRC)
        MOV #8,R(COUNT)
        CALL SENDBLK
        JMP CMDEND

; CMD 2: speak the phrase in the cartridge area: start with 24 bytes, then
; answer each low report with a feed of the next 8, until the end report.
DOSPEAK CLR A
        STA @LOWS
        STA @SPOKEN
        LDA @PHRASE
        MOV A,R(GROUPS)
        DINT
        MOVD R(RXPTR),R(RDPTR)
        EINT
        MOV #09,A
        CALL SEND
        MOVD #PHDATA,R(SRC)
        MOV #24.,R(COUNT)
        CALL SENDBLK
SPWAIT  DINT                    ; a log byte not yet looked at?
        CMP R(RXPTR),R(RDPTR)
        JNZ SPGOT
        CMP R(RXPTR-1),R(RDPTR-1)
        JNZ SPGOT
        EINT
        JMP SPWAIT
SPGOT   EINT
        LDA *R(RDPTR)
        INC R(RDPTR)
        ADC #0,R(RDPTR-1)
        CMP #03,A
        JEQ SPLOW
        CMP #04,A
        JNZ SPWAIT
        MOV #1,A
        STA @SPOKEN
        JMP CMDEND
SPLOW   LDA @LOWS
        INC A
        STA @LOWS
        MOV R(GROUPS),A
        JEQ SPWAIT              ; all sent: the rest plays out
        DEC R(GROUPS)
        MOV #0A,A
        CALL SEND
        MOV #8,R(COUNT)
        CALL SENDBLK
        JMP SPWAIT

; Notes where the log stood when a command started.
MARK    PUSH A
        DINT
        MOV R(RXPTR-1),A
        STA @RXMARK
        MOV R(RXPTR),A
        STA @RXMARK+1
        EINT
        POP A
        RETS

; Sends the byte in A and returns once the I/O processor has taken it.
SEND    CLR R(TAKEN)
        MOVP A,P48
        ORP #01,P6              ; B0 high
SENDW   BTJZ #1,R(TAKEN),SENDW
        INC R(SENT)
        RETS

; Sends COUNT bytes from SRC on.
SENDBLK LDA *R(SRC)
        CALL SEND
        INC R(SRC)
        ADC #0,R(SRC-1)
        DJNZ R(COUNT),SENDBLK
        RETS

; Waits until the log has grown up to the address in R10:R11.
WAITRX  DINT
        CMP R11,R(RXPTR)
        JNZ WAITRX1
        CMP R10,R(RXPTR-1)
        JEQ WAITRX2
WAITRX1 EINT
        JMP WAITRX
WAITRX2 EINT
        RETS

; INT1. With A0 high the I/O processor has taken our byte: drop B0 and
; wait until it drops A0. With A0 low it has a byte for us.
INT1    PUSH A
        BTJOP #01,P4,INT1ACK
        MOVP P48,A
        STA *R(RXPTR)
        INC R(RXPTR)
        ADC #0,R(RXPTR-1)
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

SILENCE BYTE 0, 0, 0, 0, 0, 0, 0, 0

        ORG $FFFC
        WORD INT1
        ORG $FFFE
        WORD RESET
