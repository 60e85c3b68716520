; The line editor and the stored lines.

; A new key: A is its place in the matrix (1-112, see the key table).
handle_key:
        DECA                    ; X := KEYMAP - 1 + 2 (A - 1)
        LP      TMP0
        EXAM
        LDM
        ADM
        LDM
        LIB     KEYMAP_PAGE
        CALL    set_x
        IXL                     ; A := the key's plain meaning,
        LP      V_MODE
        TSIM    MODE_SHIFT
        JRZP    key_plain
        IXL                     ; or the one after it with SHIFT
key_plain:
        CPIA    K_SHIFT         ; SHIFT itself turns SHIFT on or off
        JRNZP   key_not_shift
        LP      V_MODE
        TSIM    MODE_SHIFT
        JRZP    shift_on
        ANIM    &FF - MODE_SHIFT
        RTN
shift_on:
        ORIM    MODE_SHIFT
        RTN
key_not_shift:
        LP      V_MODE          ; any other key uses SHIFT up
        ANIM    &FF - MODE_SHIFT
        CPIA    K_NONE          ; a key that means nothing ends here
        JRNZP   key_meant
        RTN
key_meant:
        PUSH                    ; the cursor shows at once, whatever the key does
        CALL    cursor_visible
        POP
        LP      V_MODE
        TSIM    MODE_MSG
        JRZP    key_edit
        ; A message shows: the arrows scroll a long one, other keys go back to the line.
        CPIA    K_LEFT
        JPZ     message_left
        CPIA    K_RIGHT
        JPZ     message_right
        CPIA    K_ENTER
        JRNZP   message_leave
        RTN
message_leave:
        LP      V_MODE
        ANIM    &FF - MODE_MSG
        CPIA    &20
        JRCP    key_edit
        PUSH                    ; typing starts a new line
        CALL    clear_line
        POP
key_edit:
        CPIA    &20             ; a printable character is typed; the others are commands
        JPNC    insert_char
        CPIA    K_LEFT
        JPZ     cursor_left
        CPIA    K_RIGHT
        JPZ     cursor_right
        CPIA    K_UP
        JPZ     recall_older
        CPIA    K_DOWN
        JPZ     recall_newer
        CPIA    K_CLEAR
        JPZ     clear_line
        CPIA    K_ENTER
        JPZ     enter_line
        CPIA    K_BACKSPACE
        JPZ     backspace
        CPIA    K_DELETE
        JPZ     delete_char
        RTN

; The left arrow on a message: a long one scrolls back, a short one gives the line back.
message_left:
        LP      V_MSGLEN
        CPIM    CELLS + 1
        JRCP    message_back
        LP      V_VIEW          ; one character back, unless at the first
        CPIM    0
        JRZP    message_stay
        SBIM    1
message_stay:
        RTN
message_back:
        LP      V_MODE          ; the line again, and the arrow moves its cursor
        ANIM    &FF - MODE_MSG
        JP      cursor_left

; The right arrow on a message: a long one scrolls on, a short one gives the line back.
message_right:
        LP      V_MSGLEN
        CPIM    CELLS + 1
        JRCP    message_forth
        LDM                     ; the view stops with the last character in the last cell
        SBIA    CELLS
        LP      V_VIEW
        CPMA
        JRNCM   message_stay
        ADIM    1
        RTN
message_forth:
        LP      V_MODE
        ANIM    &FF - MODE_MSG
        JP      cursor_right

; Inserts character A at the cursor.
insert_char:
        LP      TMP2            ; TMP2 := the character
        EXAM
        LP      V_LEN           ; a full line takes no more
        CPIM    MAX_LINE
        JRCP    insert_room
        RTN
insert_room:
        ; N := characters from the cursor to the end, moved up by one from the last
        LP      V_LEN
        LDM
        LP      REG_N
        EXAM
        LP      V_CUR
        LDM
        LP      REG_N
        SBM
        JRZP    insert_store    ; the cursor at the end: nothing to move
        LIB     LINE_PAGE       ; X := just after the last character
        LP      V_LEN
        LDM
        INCA
        CALL    set_x
        LIB     LINE_PAGE       ; Y := one further
        LP      V_LEN
        LDM
        INCA
        INCA
        CALL    set_y
insert_move:
        DXL
        DYS
        DECN
        JRNZM   insert_move
insert_store:
        LIB     LINE_PAGE       ; the character into the gap at the cursor
        LP      V_CUR
        LDM
        CALL    set_y
        LP      TMP2
        LDM
        IYS
        LP      V_LEN           ; one character longer, the cursor after it
        ADIM    1
        LP      V_CUR
        ADIM    1
        RTN

; The arrows: the cursor moves between the first character and just after the last.
cursor_left:
        LP      V_CUR
        CPIM    1
        JRCP    cursor_stays
        SBIM    1
cursor_stays:
        RTN

cursor_right:
        LP      V_CUR
        LDM
        LP      V_LEN
        CPMA
        JRZM    cursor_stays
        LP      V_CUR
        ADIM    1
        RTN

; Removes the character before the cursor: the cursor goes back onto it.
backspace:
        LP      V_CUR
        CPIM    1
        JRCM    cursor_stays
        SBIM    1
; Removes the character under the cursor.
delete_char:
        LP      V_CUR           ; the cursor after the end: nothing under it
        LDM
        LP      V_LEN
        CPMA
        JRZP    delete_done
        LP      V_LEN           ; N := characters after the cursor
        LDM
        LP      REG_N
        EXAM
        LP      V_CUR
        LDM
        INCA
        LP      REG_N
        SBM
        LIB     LINE_PAGE       ; X := just before the character after the cursor's
        LP      V_CUR
        LDM
        INCA
        CALL    set_x
        LIB     LINE_PAGE       ; Y := just before the cursor's
        LP      V_CUR
        LDM
        CALL    set_y
        CALL    copy_forward    ; those after the cursor one place down
        LP      V_LEN
        SBIM    1
delete_done:
        RTN

; An empty line, and the arrows start again from the newest stored line.
clear_line:
        LP      V_LEN           ; length, cursor and view := 0
        LII     2
        RA
        FILM
        LP      V_COUNT         ; the next recall starts from the newest
        LDM
        LP      V_RECALL
        EXAM
        RTN

; The up arrow: the stored line before the one shown, if any.
recall_older:
        LP      V_RECALL
        CPIM    1
        JRCP    recall_none
        SBIM    1
        JRP     load_recalled
recall_none:
        RTN

; The down arrow: the stored line after the one shown; past the newest, an empty line.
recall_newer:
        LP      V_RECALL        ; already a new line: nothing after it
        LDM
        LP      V_COUNT
        CPMA
        JRZM    recall_none
        LP      V_RECALL        ; the next one, unless that is past the newest
        ADIM    1
        LDM
        LP      V_COUNT
        CPMA
        JRNZP   load_recalled
        JP      clear_line

; LINE := stored line V_RECALL, cursor at its end.
load_recalled:
        LP      V_RECALL        ; X := just before the slot's length byte
        LDM
        CALL    slot_address
        CALL    set_x
        IXL                     ; A := the length, at most MAX_LINE
        CPIA    MAX_LINE + 1
        JRCP    recalled_length
        LIA     MAX_LINE
recalled_length:
        LP      V_LEN           ; the line that long, the cursor at its end, no scroll
        EXAM
        LDM
        LP      V_CUR
        EXAM
        LP      V_SCROLL
        ANIM    0
        LP      V_LEN           ; N := the length
        LDM
        LP      REG_N
        EXAM
        LIB     LINE_PAGE       ; Y := just before LINE
        RA
        CALL    set_y
        JP      copy_forward    ; the characters after the length byte into LINE

; B:A := just before stored line A (0x5800 + 128 A: its length byte is at +1).
slot_address:
        RC
        SR
        LIB     0
        JRNCP   slot_even
        LIB     SLOT_SIZE
slot_even:
        ADIA    SLOTS_PAGE
        EXAB
        RTN

; Keeps LINE as the newest stored line; with all slots in use the oldest goes.
store_line:
        LP      V_COUNT         ; all slots in use: the oldest line goes
        CPIM    MAX_SLOTS
        JRCP    store_room
        CALL    drop_oldest
store_room:
        LP      V_COUNT         ; Y := just before the first free slot
        LDM
        CALL    slot_address
        CALL    set_y
        LP      V_LEN           ; its length byte
        LDM
        IYS
        LP      V_LEN           ; N := the length
        LDM
        LP      REG_N
        EXAM
        LIB     LINE_PAGE       ; X := just before LINE
        RA
        CALL    set_x
        CALL    copy_forward    ; the characters after the length byte
        LP      V_COUNT         ; one more line stored
        ADIM    1
        RTN

; Moves stored lines 1-15 down to 0-14.
drop_oldest:
        LIB     SLOTS_PAGE      ; X := just before slot 1
        LIA     SLOT_SIZE - 1
        CALL    set_x
        LIB     SLOTS_PAGE - 1  ; Y := just before slot 0
        LIA     &FF
        CALL    set_y
        LP      REG_N           ; N: the slots to move
        ANIM    0
        ORIM    MAX_SLOTS - 1
drop_slot:
        LP      REG_M           ; M: the bytes of one slot
        ANIM    0
        ORIM    SLOT_SIZE
drop_byte:
        IXL
        IYS
        DECM
        JRNZM   drop_byte
        DECN
        JRNZM   drop_slot
        LP      V_COUNT         ; one line fewer
        SBIM    1
        RTN

; ENTER: SAVE and LOAD are commands; any other line is stored and calculated.
enter_line:
        LP      V_LEN           ; an empty line does nothing
        CPIM    0
        JRNZP   enter_some
        RTN
enter_some:
        LIB     ROM_TEXT_PAGE   ; SAVE?
        LIA     word_save - 1 - ROM_TEXT
        CALL    set_x
        CALL    match_word
        JPZ     do_save
        LIB     ROM_TEXT_PAGE   ; LOAD?
        LIA     word_load - 1 - ROM_TEXT
        CALL    set_x
        CALL    match_word
        JPZ     do_load
        CALL    store_line      ; a calculation: stored, the arrows start from it
        LP      V_COUNT
        LDM
        LP      V_RECALL
        EXAM
        CALL    evaluate        ; its result or error becomes the message
        LP      V_LEN           ; the cursor at the end, should the line come back
        LDM
        LP      V_CUR
        EXAM
        RTN

; Z set when the line is the four-letter word after X, in either case.
match_word:
        LP      V_LEN           ; four characters or it is not the word (Z clear)
        CPIM    4
        JRNZP   match_done
        LIDP    LINE            ; WORD := the line's four characters
        LP      WORD
        LII     3
        MVWD
        LP      WORD            ; four rounds, counted on the stack by LOOP
        LIA     3
        PUSH
match_next:
        ORIM    &20             ; each character in lower case against the word's
        IXL
        CPMA
        JRNZP   match_fail
        INCP
        LOOP    match_next
        RC                      ; all four equal: Z is set
match_done:
        RTN
match_fail:
        POP                     ; the round counter off the stack, and Z clear
        LIA     1
        ORIA    1
        RTN
