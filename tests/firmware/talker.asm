; A busy program that speaks the whole time. It greets the I/O processor,
; starts the phrase below and answers every low report with the next eight
; bytes; when the end report comes, it starts the phrase again. Meanwhile it
; writes to video RAM without a pause: each byte is a running count plus the
; last key code reported, mixed with port A (so the tape's bit shows too).
;
; The display mode is the byte at $4000 of a 16 KB cartridge ($80 bitmap);
; without a cartridge that byte reads $FF and the mode is text ($40).
;
; The handshake is the one of iolink.asm: to send a byte, put it in the
; mailbox and raise B0; the I/O side takes it and pulses INT1 with A0 high.
; On INT1 with A0 low it has a byte for us: read it, raise B1, wait for A0.
VDPREG  EQU 45                  ; register port (write)
VDPDATA EQU 46                  ; data port (write)
MODE    EQU $4000               ; cartridge: CM3 value

; ---- registers ----
TAKEN   EQU 4                   ; 1 once the byte sent was taken
KEYWAIT EQU 5                   ; 1: the next byte received is a key code
KEY     EQU 6                   ; last key code reported
LOWS    EQU 7                   ; low reports not yet answered
ENDS    EQU 8                   ; 1 once the end report came
COUNT   EQU 9                   ; bytes left in SENDBLK
SRC     EQU 15                  ; R14:R15: next phrase byte to send
GROUPS  EQU 16                  ; groups of eight bytes not yet sent
DATA    EQU 17                  ; running count drawn to video RAM
STACK   EQU $60

        ORG $F800
RESET   MOV #STACK,B
        LDSP
        CLR R(TAKEN)
        CLR R(KEYWAIT)
        CLR R(KEY)
        CLR R(DATA)
        LDA @MODE
        CMP #$FF,A
        JNZ SETMODE
        MOV #$40,A              ; no cartridge: text
SETMODE MOVP #06,P(VDPREG)      ; pointer byte: CM3 is next
        MOVP A,P(VDPREG)
        MOVP #01,P0             ; INT1 on
        EINT
        ORP #01,P6              ; B0 high: the I/O processor greets us
GREETW  BTJOP #01,P6,GREETW     ; the INT1 routine drops B0 when it is over

; Speech start with the first 24 bytes; the rest goes out on low reports.
SPEAK   CLR R(ENDS)
        CLR R(LOWS)
        MOV #GROUPCNT,R(GROUPS)
        MOV #09,A
        CALL SEND
        MOVD #PHRASE,R(SRC)
        MOV #24.,R(COUNT)
        CALL SENDBLK

BUSY    MOV R(DATA),A
        ADD R(KEY),A
        MOVP P4,B
        XOR B,A
        MOVP A,P(VDPDATA)
        INC R(DATA)
        MOV R(ENDS),A
        JNZ SPEAK
        MOV R(LOWS),A
        JEQ BUSY
        DEC R(LOWS)
        MOV R(GROUPS),A
        JEQ BUSY                ; all sent: the rest plays out
        DEC R(GROUPS)
        MOV #0A,A               ; speech feed
        CALL SEND
        MOV #8,R(COUNT)
        CALL SENDBLK
        JMP BUSY

; Sends the byte in A and returns once the I/O processor has taken it.
SEND    CLR R(TAKEN)
        MOVP A,P48
        ORP #01,P6              ; B0 high
SENDW   BTJZ #1,R(TAKEN),SENDW
        RETS

; Sends COUNT bytes from SRC on.
SENDBLK LDA *R(SRC)
        CALL SEND
        INC R(SRC)
        ADC #0,R(SRC-1)
        DJNZ R(COUNT),SENDBLK
        RETS

; INT1: our byte was taken (A0 high), or a byte for us (A0 low): a key
; report ($01 and the code), speech low ($03) or speech end ($04); other
; bytes (the greeting, the serial report) are only acknowledged.
INT1    PUSH A
        BTJOP #01,P4,INT1ACK
        MOVP P48,A
        BTJZ #1,R(KEYWAIT),NOTKEY
        MOV A,R(KEY)
        CLR R(KEYWAIT)
        JMP SEEN
NOTKEY  CMP #01,A
        JNZ NOT1
        MOV #1,R(KEYWAIT)
        JMP SEEN
NOT1    CMP #03,A
        JNZ NOT3
        INC R(LOWS)
        JMP SEEN
NOT3    CMP #04,A
        JNZ SEEN
        MOV #1,R(ENDS)
SEEN    ORP #02,P6              ; B1 high: seen
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

        INCLUDE "phrase36.inc"

        ORG $FFFC
        WORD INT1
        ORG $FFFE
        WORD RESET
