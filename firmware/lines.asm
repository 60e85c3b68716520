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
        IXL
        LP      V_MODE
        TSIM    MODE_SHIFT
        JRZP    key_plain
        IXL
key_plain:
        CPIA    K_SHIFT
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
        CPIA    K_NONE
        JRNZP   key_meant
        RTN
key_meant:
        PUSH
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
        CPIA    &20
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

message_left:
        LP      V_MSGLEN
        CPIM    CELLS + 1
        JRCP    message_back
        LP      V_VIEW
        CPIM    0
        JRZP    message_stay
        SBIM    1
message_stay:
        RTN
message_back:
        LP      V_MODE
        ANIM    &FF - MODE_MSG
        JP      cursor_left

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
        LP      TMP2
        EXAM
        LP      V_LEN
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
        JRZP    insert_store
        LIB     LINE_PAGE       ; X := just after the last character
        LP      V_LEN
        LDM
        INCA
        CALL    set_x
        LIB     LINE_PAGE
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
        LIB     LINE_PAGE
        LP      V_CUR
        LDM
        CALL    set_y
        LP      TMP2
        LDM
        IYS
        LP      V_LEN
        ADIM    1
        LP      V_CUR
        ADIM    1
        RTN

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

backspace:
        LP      V_CUR
        CPIM    1
        JRCM    cursor_stays
        SBIM    1
; Removes the character under the cursor.
delete_char:
        LP      V_CUR
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
        JRZP    delete_shorten
        LIB     LINE_PAGE
        LP      V_CUR
        LDM
        INCA
        CALL    set_x
        LIB     LINE_PAGE
        LP      V_CUR
        LDM
        CALL    set_y
delete_move:
        IXL
        IYS
        DECN
        JRNZM   delete_move
delete_shorten:
        LP      V_LEN
        SBIM    1
delete_done:
        RTN

; An empty line, and the arrows start again from the newest stored line.
clear_line:
        LP      V_LEN
        LII     2
        RA
        FILM
        LP      V_COUNT
        LDM
        LP      V_RECALL
        EXAM
        RTN

recall_older:
        LP      V_RECALL
        CPIM    1
        JRCP    recall_none
        SBIM    1
        JRP     load_recalled
recall_none:
        RTN

recall_newer:
        LP      V_RECALL
        LDM
        LP      V_COUNT
        CPMA
        JRZM    recall_none
        LP      V_RECALL
        ADIM    1
        LDM
        LP      V_COUNT
        CPMA
        JRNZP   load_recalled
        JP      clear_line

; LINE := stored line V_RECALL, cursor at its end.
load_recalled:
        LP      V_RECALL
        LDM
        CALL    slot_address
        CALL    set_x
        IXL
        CPIA    MAX_LINE + 1
        JRCP    recalled_length
        LIA     MAX_LINE
recalled_length:
        LP      V_LEN
        EXAM
        LDM
        LP      V_CUR
        EXAM
        LP      V_SCROLL
        ANIM    0
        LP      V_LEN
        LDM
        LP      REG_N
        EXAM
        LP      REG_N
        CPIM    0
        JRZP    recalled
        LIB     LINE_PAGE
        RA
        CALL    set_y
recall_copy:
        IXL
        IYS
        DECN
        JRNZM   recall_copy
recalled:
        RTN

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
        LP      V_COUNT
        CPIM    MAX_SLOTS
        JRCP    store_room
        CALL    drop_oldest
store_room:
        LP      V_COUNT
        LDM
        CALL    slot_address
        CALL    set_y
        LP      V_LEN
        LDM
        IYS
        LP      V_LEN
        LDM
        LP      REG_N
        EXAM
        LP      REG_N
        CPIM    0
        JRZP    store_counted
        LIB     LINE_PAGE
        RA
        CALL    set_x
store_copy:
        IXL
        IYS
        DECN
        JRNZM   store_copy
store_counted:
        LP      V_COUNT
        ADIM    1
        RTN

; Moves stored lines 1-15 down to 0-14.
drop_oldest:
        LIB     SLOTS_PAGE
        LIA     SLOT_SIZE - 1
        CALL    set_x
        LIB     SLOTS_PAGE - 1
        LIA     &FF
        CALL    set_y
        LP      REG_N
        ANIM    0
        ORIM    MAX_SLOTS - 1
drop_slot:
        LP      REG_M
        ANIM    0
        ORIM    SLOT_SIZE
drop_byte:
        IXL
        IYS
        DECM
        JRNZM   drop_byte
        DECN
        JRNZM   drop_slot
        LP      V_COUNT
        SBIM    1
        RTN

; ENTER: SAVE and LOAD are commands; any other line is stored and calculated.
enter_line:
        LP      V_LEN
        CPIM    0
        JRNZP   enter_some
        RTN
enter_some:
        LIB     ROM_TEXT_PAGE
        LIA     word_save - 1 - ROM_TEXT
        CALL    set_x
        CALL    match_word
        JPZ     do_save
        LIB     ROM_TEXT_PAGE
        LIA     word_load - 1 - ROM_TEXT
        CALL    set_x
        CALL    match_word
        JPZ     do_load
        CALL    store_line
        LP      V_COUNT
        LDM
        LP      V_RECALL
        EXAM
        CALL    evaluate
        LP      V_LEN
        LDM
        LP      V_CUR
        EXAM
        RTN

; Z set when the line is the four-letter word after X, in either case.
match_word:
        LP      V_LEN
        CPIM    4
        JRNZP   match_done
        LIDP    LINE
        LP      WORD
        LII     3
        MVWD
        LP      WORD
        LIA     3
        PUSH
match_next:
        ORIM    &20
        IXL
        CPMA
        JRNZP   match_fail
        INCP
        LOOP    match_next
        RC
match_done:
        RTN
match_fail:
        POP
        LIA     1
        ORIA    1
        RTN
