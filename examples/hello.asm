; hello.asm: a first program for the pocket computer. It shows "HELLO 0" and counts the keys
; pressed: 0 to 9, then 0 again. Both ROM images come from this one source:
;
;   tolvan-asm -o TOLVANL.ROM --range 0x0000-0x1FFF hello.asm
;   tolvan-asm -o TOLVANH.ROM --range 0x8000-0xFFFF hello.asm
;   tolvan --headless --slices 5 --lcd --type abc --slices 5 --lcd
;
; The code runs from the low ROM. The font lies in the high ROM: reading data from the low ROM
; gives only the high byte of the address.

; ---- Internal RAM: the registers that instructions name, then our variables
REG_XL          EQU &04         ; X, the pointer that IXL reads through: low byte,
REG_XH          EQU &05         ; high byte
REG_YL          EQU &06         ; Y, the pointer that IYS writes through
REG_YH          EQU &07
REG_K           EQU &08         ; the keys found by a scan
REG_N           EQU &0B         ; the counter that DECN counts down
COUNT           EQU &10         ; keys pressed so far, 0-9
KEYS            EQU &11         ; the keys found by the scan before
LINE            EQU &12         ; the key line being read: one bit
STACK_TOP       EQU &5C         ; the stack grows down from 0x5B
PORT_A          EQU &5C         ; bit n selects key line n of group B
PORT_C          EQU &5F         ; bit 0 switches the display on

; ---- Memory
DISPLAY         EQU &7000       ; cells 0-11: five dot columns each, bit 0 the top dot
DISPLAY_LAST    EQU &7C         ; 0x7000-0x707C: the dots and the annunciators
KEY_STROBE      EQU &7E00       ; writing bit n selects key line n of group A
FONT_PAGE       EQU &80         ; character c's five columns at 0x8001 + 8c

        ORG     &0000           ; power-on and All Reset start here,
        JP      start
        ORG     &0018           ; and Simple Reset here
        JP      start

        ORG     &0100
start:
        LIA     STACK_TOP       ; R, the stack pointer
        STR
        LIP     PORT_A          ; no key line of group B selected
        ANIM    0
        OUTA
        LIDP    DISPLAY         ; every dot and annunciator off
        LII     DISPLAY_LAST
        RA
        FILD
        LP      COUNT           ; no key counted yet
        ANIM    0
        LP      KEYS
        ANIM    0

; One pass per display frame: look at the keys, draw, switch the display on.
main_loop:
        CALL    key_scan        ; A := 1 when a key has just gone down
        CPIA    0
        JRZP    main_draw
        LP      COUNT           ; one more key; after 9 comes 0
        ADIM    1
        CPIM    10
        JRCP    main_draw
        ANIM    0
main_draw:
        CALL    draw
        LIP     PORT_C          ; the display on: the emulator ends its time slice here, so
        ANIM    0               ; the loop runs once per 10 ms frame
        ORIM    1
        OUTC
        JP      main_loop

; Draws "HELLO" and the count into cells 0-6.
draw:
        LIB     &6F             ; Y := 0x6FFF, just before cell 0's first column
        LIA     &FF
        CALL    set_y
        LIA     'H'
        CALL    put_char
        LIA     'E'
        CALL    put_char
        LIA     'L'
        CALL    put_char
        LIA     'L'
        CALL    put_char
        LIA     'O'
        CALL    put_char
        LIA     ' '
        CALL    put_char
        LP      COUNT           ; the count's digit: '0' + COUNT
        LDM
        ADIA    '0'
        JP      put_char        ; its RTN returns from draw

; Copies the five columns of character A to the cells after Y.
put_char:
        CALL    glyph_to_x
        LP      REG_N
        ANIM    0
        ORIM    5
put_column:
        IXL                     ; A := the next column of the glyph
        IYS                     ; into the next column of the display
        DECN
        JRNZM   put_column
        RTN

; X := just before the glyph of character A: 0x8000 + 8A.
glyph_to_x:
        PUSH
        SWP                     ; the high byte: 0x80 + A / 32
        ANIA    &0F
        RC
        SR
        ADIA    FONT_PAGE
        EXAB
        POP                     ; the low byte: (A % 32) * 8
        ANIA    &1F
        RC
        SL
        SL
        SL
        ; X := B:A, and on to set_y's RTN
set_x:
        LP      REG_XL
        EXAM
        EXAB
        LP      REG_XH
        EXAM
        RTN

; Y := B:A.
set_y:
        LP      REG_YL
        EXAM
        EXAB
        LP      REG_YH
        EXAM
        RTN

; The keyboard scan. It lies at 0x1330 because Tolvan lets a held key go once the scan has
; passed there three times. Returns A = 1 when a key has gone down since the scan before.
        ORG     &1330
key_scan:
        TEST    8               ; a key that Tolvan holds reaches the key lines now
        LP      REG_K           ; no key found yet
        ANIM    0
        LP      LINE            ; line 0 first
        ANIM    0
        ORIM    1
        LIDP    KEY_STROBE
scan_line:
        LP      LINE            ; group A: select the line, read its keys
        LDM
        STD
        INA
        LP      REG_K
        ORMA
        RA                      ; group B: the same line through port A
        STD
        LP      LINE
        LDM
        LIP     PORT_A
        EXAM
        OUTA
        INA                     ; the keys, and the line's own bit, which no key uses:
        EXAM                    ; PORT_A := them, A := the line's bit
        SBM                     ; the line's bit taken away
        LDM
        ANIM    0               ; port A's line off again, before group A is read
        OUTA
        LP      REG_K
        ORMA
        LP      LINE            ; the next line, until all seven are read
        LDM
        ADM
        CPIM    &80
        JRNZM   scan_line
        RA                      ; select no line
        STD
        LP      REG_K           ; a new key only when none was down at the scan before
        LDM
        LP      KEYS
        EXAM
        CPIA    0
        JRNZP   scan_no_new_key
        LP      KEYS
        CPIM    0
        JRZP    scan_no_new_key
        LIA     1
        RTN
scan_no_new_key:
        RA
        RTN

; ---- The font: five dot columns for each character used, bit 0 the top dot
        ORG     &8101           ; ' ' (0x20)
        DB      &00, &00, &00, &00, &00
        ORG     &8181           ; '0' (0x30) to '9'
        DB      &3E, &51, &49, &45, &3E
        ORG     &8189
        DB      &00, &42, &7F, &40, &00
        ORG     &8191
        DB      &42, &61, &51, &49, &46
        ORG     &8199
        DB      &21, &41, &45, &4B, &31
        ORG     &81A1
        DB      &18, &14, &12, &7F, &10
        ORG     &81A9
        DB      &27, &45, &45, &45, &39
        ORG     &81B1
        DB      &3C, &4A, &49, &49, &30
        ORG     &81B9
        DB      &01, &71, &09, &05, &03
        ORG     &81C1
        DB      &36, &49, &49, &49, &36
        ORG     &81C9
        DB      &06, &49, &49, &29, &1E
        ORG     &8229           ; 'E' (0x45)
        DB      &7F, &49, &49, &49, &41
        ORG     &8241           ; 'H' (0x48)
        DB      &7F, &08, &08, &08, &7F
        ORG     &8261           ; 'L' (0x4C)
        DB      &7F, &40, &40, &40, &40
        ORG     &8279           ; 'O' (0x4F)
        DB      &3E, &41, &41, &41, &3E
