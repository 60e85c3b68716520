; SAVE and LOAD of the stored lines through the tape interface.

TAPE_OUTPUT_ON  EQU &10     ; port B: tape output enabled
TAPE_BIT        EQU &08     ; port F: the tape signal
CHAR_CR         EQU &0D
CHAR_EOF        EQU &1A

; SAVE: every stored line, oldest first, each followed by CR, then the end mark.
do_save:
        CALL    busy_on
        LP      V_TAPE          ; a SAVE runs, for BRK to close it
        ANIM    0
        ORIM    TAPE_SAVING
        LIP     PORT_B          ; the tape output on
        ANIM    0
        ORIM    TAPE_OUTPUT_ON
        OUTB
        LP      REG_K           ; K: the stored line being sent
        ANIM    0
save_line:
        LP      REG_K           ; all sent: the end mark
        LDM
        LP      V_COUNT
        CPMA
        JRZP    save_end
        LP      REG_K           ; X := just before the slot's length byte
        LDM
        CALL    slot_address
        CALL    set_x
        IXL                     ; L := the length; an empty line is its CR alone
        LP      REG_L
        EXAM
        LP      REG_L
        CPIM    0
        JRZP    save_line_end
save_char:
        TEST    8               ; BRK stops the transfer
        JPNZ    on_break
        IXL                     ; the next character to the tape
        CALL    send_byte
        DECL
        JRNZM   save_char
save_line_end:
        LIA     CHAR_CR         ; the line ends with CR, and the next one follows
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
        LP      V_TAPE          ; a LOAD runs, for BRK to end it
        ANIM    0
        ORIM    TAPE_LOADING
        CALL    tape_load_start
        LP      V_STARTED       ; no line has come yet
        ANIM    0
        CALL    clear_line
load_next:
        TEST    8               ; BRK stops the transfer
        JPNZ    on_break
        LP      TAPE_FLAGS      ; the machine hands over a character in B, marks in TAPE_FLAGS
        ANIM    0
        CALL    tape_load_char
        LP      TAPE_FLAGS      ; the end of the file, or of a line
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
        PUSH                    ; appended to LINE
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
        CALL    keep_loaded_line ; the last line may lack its CR
        LIA     msg_loaded - 1 - ROM_TEXT
        LP      V_STARTED
        CPIM    0
        JRNZP   transfer_done
        LIA     msg_no_lines - 1 - ROM_TEXT
; Ends a transfer with message A.
transfer_done:
        LP      TMP0
        EXAM
        LP      V_TAPE          ; no transfer runs any more
        ANIM    0
        CALL    busy_off
        LP      TMP0
        LDM
        JP      show_message

; A line read from the tape is stored, unless it is empty.
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
        LP      TMP1            ; TMP1 := the byte
        EXAM
        LIP     PORT_F          ; the start bit
        ANIM    0
        ORIM    TAPE_BIT
        OUTF
        LIA     7               ; eight rounds, counted on the stack by LOOP
        PUSH
send_bit:
        LP      TMP1            ; the lowest bit out into the carry
        LDM
        SR
        EXAM
        LIP     PORT_F          ; the signal is the bit inverted
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
        LIA     STACK_TOP       ; whatever was called is forgotten
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
        LP      V_TAPE          ; BUSY and SHIFT off, BREAK shows, the main loop goes on
        ANIM    0
        CALL    busy_off
        LP      V_MODE
        ANIM    0
        LIA     msg_break - 1 - ROM_TEXT
        CALL    show_message
        JP      main_loop
