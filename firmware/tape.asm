; SAVE and LOAD of the stored lines through the tape interface.

TAPE_OUTPUT_ON  EQU &10     ; port B: tape output enabled
TAPE_BIT        EQU &08     ; port F: the tape signal
CHAR_CR         EQU &0D
CHAR_EOF        EQU &1A

; SAVE: every stored line, oldest first, each followed by CR, then the end mark.
do_save:
        CALL    busy_on
        LP      V_TAPE
        ANIM    0
        ORIM    TAPE_SAVING
        LIP     PORT_B
        ANIM    0
        ORIM    TAPE_OUTPUT_ON
        OUTB
        LP      REG_K
        ANIM    0
save_line:
        LP      REG_K
        LDM
        LP      V_COUNT
        CPMA
        JRZP    save_end
        LP      REG_K
        LDM
        CALL    slot_address
        CALL    set_x
        IXL
        LP      REG_L
        EXAM
        LP      REG_L
        CPIM    0
        JRZP    save_line_end
save_char:
        TEST    8
        JPNZ    on_break
        IXL
        CALL    send_byte
        DECL
        JRNZM   save_char
save_line_end:
        LIA     CHAR_CR
        CALL    send_byte
        LP      REG_K
        ADIM    1
        JRM     save_line
save_end:
        LIA     CHAR_EOF
        CALL    send_byte
        CALL    tape_off
        LIA     msg_saved - 1 - ROM_TEXT
        JRP     transfer_done

; LOAD: the lines of the tape replace the stored ones. A tape without lines (or no LOAD
; file at all) leaves them as they are.
do_load:
        CALL    busy_on
        LP      V_TAPE
        ANIM    0
        ORIM    TAPE_LOADING
        CALL    tape_load_start
        LP      V_STARTED       ; no line has come yet
        ANIM    0
        CALL    clear_line
load_next:
        TEST    8
        JPNZ    on_break
        LP      TAPE_FLAGS
        ANIM    0
        CALL    tape_load_char
        LP      TAPE_FLAGS
        TSIM    TAPE_END
        JRNZP   load_end
        TSIM    TAPE_LINE_END
        JRNZP   load_line_end
        EXAB                    ; printable characters only, while the line has room
        CPIA    CHAR_SPACE
        JRCM    load_next
        CPIA    CURSOR_CHAR
        JRNCM   load_next
        LP      V_LEN
        CPIM    MAX_LINE
        JRNCM   load_next
        PUSH
        LIB     LINE_PAGE
        LP      V_LEN
        LDM
        CALL    set_y
        POP
        IYS
        LP      V_LEN
        ADIM    1
        JRM     load_next
load_line_end:
        CALL    keep_loaded_line
        JRM     load_next
load_end:
        CALL    keep_loaded_line
        LIA     msg_loaded - 1 - ROM_TEXT
        LP      V_STARTED
        CPIM    0
        JRNZP   transfer_done
        LIA     msg_no_lines - 1 - ROM_TEXT
transfer_done:
        LP      TMP0
        EXAM
        LP      V_TAPE
        ANIM    0
        CALL    busy_off
        LP      TMP0
        LDM
        JP      show_message

keep_loaded_line:
        LP      V_LEN
        CPIM    0
        JRZP    nothing_loaded
        LP      V_STARTED       ; the first line replaces the stored ones
        CPIM    0
        JRNZP   keep_line
        ORIM    1
        LP      V_COUNT
        ANIM    0
keep_line:
        CALL    store_line
        CALL    clear_line
nothing_loaded:
        RTN

; Sends byte A: a start bit, then eight data bits from the lowest, each inverted.
send_byte:
        LP      TMP1
        EXAM
        LIP     PORT_F
        ANIM    0
        ORIM    TAPE_BIT
        OUTF
        LIA     7
        PUSH
send_bit:
        LP      TMP1
        LDM
        SR
        EXAM
        LIP     PORT_F
        ANIM    0
        JRCP    send_signal
        ORIM    TAPE_BIT
send_signal:
        OUTF
        LOOP    send_bit
        RTN

tape_off:
        LIP     PORT_B
        ANIM    0
        OUTB
        RTN

; Reads and drops the rest of the LOAD file, so that the next LOAD starts at its beginning.
drain_load:
        LP      TAPE_FLAGS
        ANIM    0
        CALL    tape_load_char
        LP      TAPE_FLAGS
        TSIM    TAPE_END
        JRZM    drain_load
        RTN

; BRK: whatever runs stops here; a transfer under way is ended properly first.
on_break:
        LIA     STACK_TOP
        STR
        LP      V_TAPE
        CPIM    TAPE_SAVING
        JRNZP   break_not_saving
        LIA     CHAR_EOF        ; closes the SAVE file with what it has
        CALL    send_byte
        CALL    tape_off
break_not_saving:
        LP      V_TAPE
        CPIM    TAPE_LOADING
        JRNZP   break_not_loading
        CALL    drain_load
        CALL    clear_line
break_not_loading:
        LP      V_TAPE
        ANIM    0
        CALL    busy_off
        LP      V_MODE
        ANIM    0
        LIA     msg_break - 1 - ROM_TEXT
        CALL    show_message
        JP      main_loop
