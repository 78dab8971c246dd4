; Orvane open firmware: the I/O processor's ROM image (4096 bytes).
;
; The emulator does not run the I/O processor's program; it only sends
; bytes of this image in reply to the block commands $0B and $0D. So the
; image holds our two character sets where those replies read, and
; nothing else (the rest stays $FF). glyphs.inc says where and why.
        ORG $0000
        BYTE "Orvane open firmware, I/O processor image: character sets only.", 0
        INCLUDE "glyphs.inc"
