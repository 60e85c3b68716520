; Tolvan demo firmware: a one-line editor and decimal calculator for the emulated pocket
; computer. Assembled twice: the range 0x0000-0x1FFF gives TOLVANL.ROM and 0x8000-0xFFFF
; gives TOLVANH.ROM.
;
; Layout:
;   0x0000        cold start (power-on, All Reset)
;   0x0018        warm start (Simple Reset)
;   0x0100-       main loop, display, editor, calculator, tape
;   0x1330        keyboard scan: the machine releases a held key after three passes here
;   0x8101-0x83FD font, eight bytes per character
;   0x8401-       key table;  0x8501- texts
;   0xEC3B/0xED12 tape load: one character per pass;  0xF10F tape load start
; Code runs from the low ROM; every table that code reads through DP, X or Y lies in the
; high ROM, since data reads of the low ROM see only the high byte of the address.

; ---- Internal RAM (0x00-0x5F survive Save RAM; 0x60-0x7F do not, so nothing lives there)
REG_I           EQU &00
REG_XL          EQU &04
REG_XH          EQU &05
REG_YL          EQU &06
REG_YH          EQU &07
REG_K           EQU &08
REG_L           EQU &09
REG_M           EQU &0A
REG_N           EQU &0B
TMP0            EQU &0C
TMP1            EQU &0D
TAPE_FLAGS      EQU &0E     ; the tape load marks bit 6 at a line end, bit 7 at the end
TAPE_LINE_END   EQU &40
TAPE_END        EQU &80
TMP2            EQU &0F
ACC             EQU &10     ; 12 packed BCD bytes, most significant first: 24 digits
ACC_LOW         EQU &1B
TERM            EQU &1C
TERM_LOW        EQU &27
BCD_LAST        EQU 11      ; I for the 12-byte decimal instructions
V_LEN           EQU &28     ; length of the line being edited
V_CUR           EQU &29     ; cursor position, 0..V_LEN
V_SCROLL        EQU &2A     ; first character shown
V_MODE          EQU &2B     ; MODE_ bits below
V_PREV          EQU &2C     ; key seen by the previous scan (0: none)
V_TICKS         EQU &2D     ; 512 ms ticks since the cursor last changed
V_PHASE         EQU &2E     ; 1 while the cursor block shows
V_COUNT         EQU &2F     ; stored lines
V_RECALL        EQU &30     ; stored line shown by the arrows; V_COUNT means a new line
V_MSGLEN        EQU &31
V_VIEW          EQU &32     ; first character shown of a long message
V_TAPE          EQU &33     ; TAPE_ state, so that BRK can end a transfer cleanly
V_POS           EQU &34     ; calculator: next character of the line
V_OP            EQU &35     ; calculator: sign of the next term
V_DIGITS        EQU &36
V_EVSP          EQU &37     ; stack pointer at the calculator's entry, for its errors
V_STARTED       EQU &38     ; a digit shown, or a line loaded
WORD            EQU &39     ; four bytes: the line compared with a command word
STACK_TOP       EQU &5C     ; the stack grows down from 0x5B
PORT_A          EQU &5C
PORT_B          EQU &5D
PORT_F          EQU &5E
PORT_C          EQU &5F

MODE_SHIFT      EQU &01
MODE_MSG        EQU &02     ; a message or result shows instead of the line
TAPE_IDLE       EQU 0
TAPE_SAVING     EQU 1
TAPE_LOADING    EQU 2

; ---- RAM 0x5000-0x5FFF (present under every RAM size option)
; Each buffer starts one byte into its page, so that the pre-incrementing pointer of
; character i is simply page:i.
MAGIC           EQU &5000   ; "TV" once the stored lines have been set up
MAGIC_1         EQU &54
MAGIC_2         EQU &56
LINE            EQU &5101   ; the line being edited
LINE_PAGE       EQU &51
MSG_PAGE        EQU &52     ; the message shown, from 0x5201
DISP            EQU &5301   ; the 16 characters of the display, rebuilt every pass
DISP_PAGE       EQU &53
SLOTS_PAGE      EQU &58     ; 16 stored lines of 128 bytes from 0x5800: +1 length, +2 text
MAX_LINE        EQU 80
MAX_SLOTS       EQU 16
SLOT_SIZE       EQU 128

; ---- Machine
DISPLAY         EQU &7000
DISPLAY_LAST    EQU &7C     ; 0x7000-0x707C: dot columns and annunciators
ANNUNCIATORS    EQU &703D
ANN_BUSY        EQU &01
ANN_SHIFT       EQU &04
KEY_STROBE      EQU &7E00
KEY_SCAN        EQU &1330
CELLS           EQU 16
FIRST_CELLS     EQU 12      ; cells 0-11 run forward from 0x7000, 12-15 backward from 0x707B

; ---- High ROM tables
FONT_PAGE       EQU &80     ; character c at 0x8001 + 8c
FONT_FIRST      EQU &8101
CURSOR_CHAR     EQU &7F
KEYMAP          EQU &8401   ; two bytes per matrix place: plain and with SHIFT
KEYMAP_PAGE     EQU &84
ROM_TEXT        EQU &8500   ; texts from 0x8501: a length byte, then the characters
ROM_TEXT_PAGE   EQU &85

; Key meanings in the key table, besides printable characters (0x20-0x7E).
K_NONE          EQU 0
K_SHIFT         EQU 1
K_LEFT          EQU 2
K_RIGHT         EQU 3
K_UP            EQU 4
K_DOWN          EQU 5
K_CLEAR         EQU 6
K_ENTER         EQU 7
K_BACKSPACE     EQU 8
K_DELETE        EQU 9

; The cursor changes every CURSOR_TICKS ticks of the 512 ms timer. The timer counts 50000
; cycles of executed instructions (the default), and the main loop, paced at one pass per
; 10 ms slice by its display switch-on, spends about 5700 cycles a pass, so a tick comes
; about every 9 passes (90 ms of real time): five ticks give a blink of about half a second
; on and half a second off.
CURSOR_TICKS    EQU 5

        ORG     &0000
        JP      cold_start

        ORG     &0018
        JP      warm_start

        ORG     &0100
; Power-on and All Reset: forget the stored lines.
cold_start:
        LIA     STACK_TOP       ; an empty stack
        STR
        CALL    init_ports
        CALL    clear_store
start_editor:
        CALL    clear_display   ; an empty line, the greeting over it
        CALL    reset_editor
        LIA     msg_ready - 1 - ROM_TEXT
        CALL    show_message
        JP      main_loop

; Simple Reset: keep the stored lines when they look sound.
warm_start:
        LIA     STACK_TOP
        STR
        ; The reset comes with BRK pending: three polls take it and let the break signal end.
        TEST    8
        TEST    8
        TEST    8
        CALL    init_ports
        CALL    store_is_sound
        JRZM    start_editor
        CALL    clear_store
        JRM     start_editor

; No key line selected, the tape off, no transfer under way.
init_ports:
        LIP     PORT_A
        ANIM    0
        OUTA
        LIP     PORT_B
        ANIM    0
        OUTB
        LIDP    KEY_STROBE
        RA
        STD
        LP      V_TAPE
        ANIM    0
        RTN

; No stored line; the mark says that the RAM holds this firmware's lines.
clear_store:
        LIDP    MAGIC
        LIA     MAGIC_1
        STD
        LIDL    &01
        LIA     MAGIC_2
        STD
        LP      V_COUNT
        ANIM    0
        RTN

; Z set when the RAM holds stored lines written by this firmware.
store_is_sound:
        LIDP    MAGIC           ; the mark's two bytes
        LDD
        CPIA    MAGIC_1
        JRNZP   sound_done
        LIDL    &01
        LDD
        CPIA    MAGIC_2
        JRNZP   sound_done
        LP      V_COUNT         ; and a count of lines that fits the slots
        CPIM    MAX_SLOTS + 1
        JRNCP   sound_not
        RC
sound_done:
        RTN
sound_not:
        LIA     1
        ORIA    1
        RTN

; An empty line with the cursor showing; the arrows start from the newest stored line.
reset_editor:
        LP      V_LEN           ; length, cursor, scroll, mode, previous key, ticks := 0
        LII     5
        RA
        FILM
        LP      V_PHASE
        ANIM    0
        ORIM    1
        LP      V_VIEW
        ANIM    0
        LP      V_COUNT
        LDM
        LP      V_RECALL
        EXAM
        RTN

; One pass per display slice: scan, act on a new key, blink, draw, switch the display on.
main_loop:
        CALL    KEY_SCAN
        CPIA    0
        JRZP    main_idle
        CALL    handle_key
main_idle:
        CALL    blink
        CALL    build_display
        CALL    render
        CALL    show_shift
        CALL    display_on
        JP      main_loop

; X := B:A and Y := B:A (the pointers are stored low byte first).
set_x:
        LP      REG_XL
        EXAM
        EXAB
        LP      REG_XH
        EXAM
        RTN

set_y:
        LP      REG_YL
        EXAM
        EXAB
        LP      REG_YH
        EXAM
        RTN

        INCLUDE "display.asm"
        INCLUDE "lines.asm"
        INCLUDE "calculator.asm"
        INCLUDE "tape.asm"

        ORG     KEY_SCAN
        INCLUDE "keyboard.asm"

        INCLUDE "font.asm"
        INCLUDE "tables.asm"
        INCLUDE "tape_hooks.asm"
