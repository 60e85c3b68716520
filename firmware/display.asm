; The display: the 16 characters of a pass are built in DISP, then drawn with the font.

clear_display:
        LIDP    DISPLAY
        LII     DISPLAY_LAST
        RA
        FILD
        RTN

; Switching the display on ends the emulator's slice: one pass of the main loop per slice.
display_on:
        LIP     PORT_C
        ANIM    0
        ORIM    1
        OUTC
        RTN

busy_on:
        LIDP    ANNUNCIATORS
        ORID    ANN_BUSY
        JP      display_on

busy_off:
        LIDP    ANNUNCIATORS
        ANID    &FF - ANN_BUSY
        RTN

show_shift:
        LIDP    ANNUNCIATORS
        LP      V_MODE
        TSIM    MODE_SHIFT
        JRZP    shift_unlit
        ORID    ANN_SHIFT
        RTN
shift_unlit:
        ANID    &FF - ANN_SHIFT
        RTN

; The cursor block shows and hides on the 512 ms timer.
blink:
        TEST    1
        JRZP    blink_done
        LP      V_TICKS
        ADIM    1
        CPIM    CURSOR_TICKS
        JRCP    blink_done
        ANIM    0
        LP      V_PHASE
        CPIM    0
        JRZP    blink_show
        ANIM    0
        RTN
blink_show:
        ORIM    1
blink_done:
        RTN

; The cursor shows at once after a key, so that it never hides while it moves.
cursor_visible:
        LP      V_TICKS
        ANIM    0
        LP      V_PHASE
        ANIM    0
        ORIM    1
        RTN

; Shows the text at ROM_TEXT + 1 + A (a length byte, then the characters) as the message.
show_message:
        LIB     ROM_TEXT_PAGE
        CALL    set_x
        LIB     MSG_PAGE
        RA
        CALL    set_y
        IXL
        LP      V_MSGLEN
        EXAM
        LDM
        LP      REG_N
        EXAM
message_copy:
        IXL
        IYS
        DECN
        JRNZM   message_copy
message_shown:
        LP      V_VIEW
        ANIM    0
        LP      V_MODE
        ORIM    MODE_MSG
        RTN

; Appends A to the message; Y points at its last character.
message_put:
        IYS
        LP      V_MSGLEN
        ADIM    1
        RTN

; DISP := what the LCD shows: the message (right-aligned, or from V_VIEW when it is longer
; than the display), or the edited line around the cursor.
build_display:
        LIDP    DISP
        LII     CELLS - 1
        LIA     &20
        FILD
        LP      V_MODE
        TSIM    MODE_MSG
        JRZP    build_line
        LP      V_MSGLEN
        CPIM    CELLS + 1
        JRCP    build_short
        LP      REG_N
        ANIM    0
        ORIM    CELLS
        LIB     MSG_PAGE
        LP      V_VIEW
        LDM
        CALL    set_x
        LIB     DISP_PAGE
        RA
        CALL    set_y
        JRP     build_copy
build_short:
        LP      V_MSGLEN
        LDM
        LP      REG_N
        EXAM
        LP      REG_N
        CPIM    0
        JRZP    build_done
        LIB     MSG_PAGE
        RA
        CALL    set_x
        LP      REG_N           ; Y := DISP - 1 + CELLS - length
        LDM
        LP      TMP0
        ANIM    0
        ORIM    CELLS
        SBM
        LDM
        LIB     DISP_PAGE
        CALL    set_y
build_copy:
        IXL
        IYS
        DECN
        JRNZM   build_copy
build_done:
        RTN

build_line:
        ; Keep the cursor on the display: V_SCROLL <= V_CUR <= V_SCROLL + 15.
        LP      V_CUR
        LDM
        LP      V_SCROLL
        CPMA
        JRCP    scroll_right
        JRZP    scroll_right
        EXAM
scroll_right:
        LP      V_CUR
        LDM
        LP      TMP0
        EXAM
        LP      V_SCROLL
        LDM
        LP      TMP0
        SBM
        CPIM    CELLS
        JRCP    scroll_done
        LP      V_CUR
        LDM
        SBIA    CELLS - 1
        LP      V_SCROLL
        EXAM
scroll_done:
        ; N := characters to show, at most 16
        LP      V_LEN
        LDM
        LP      REG_N
        EXAM
        LP      V_SCROLL
        LDM
        LP      REG_N
        SBM
        JRCP    line_cursor
        JRZP    line_cursor
        CPIM    CELLS + 1
        JRCP    line_count
        ANIM    0
        ORIM    CELLS
line_count:
        LIB     LINE_PAGE
        LP      V_SCROLL
        LDM
        CALL    set_x
        LIB     DISP_PAGE
        RA
        CALL    set_y
line_copy:
        IXL
        IYS
        DECN
        JRNZM   line_copy
line_cursor:
        LP      V_PHASE
        CPIM    0
        JRZP    line_done
        LP      V_CUR
        LDM
        LP      TMP0
        EXAM
        LP      V_SCROLL
        LDM
        LP      TMP0
        SBM
        LDM
        LIB     DISP_PAGE
        CALL    set_y
        LIA     CURSOR_CHAR
        IYS
line_done:
        RTN

; Draws DISP into display memory, five dot columns per cell.
render:
        LIB     &6F             ; Y := 0x6FFF, just before cell 0
        LIA     &FF
        CALL    set_y
        LP      REG_K
        ANIM    0
render_cell:
        LIB     DISP_PAGE
        LP      REG_K
        LDM
        CALL    set_x
        IXL
        CALL    glyph_to_x
        LP      REG_K
        CPIM    FIRST_CELLS
        JRNCP   render_back
        IXL
        IYS
        IXL
        IYS
        IXL
        IYS
        IXL
        IYS
        IXL
        IYS
        LP      REG_K
        ADIM    1
        CPIM    FIRST_CELLS
        JRNZM   render_cell
        LIB     &70             ; Y := 0x707C, just after the left column of cell 12
        LIA     &7C
        CALL    set_y
        JRM     render_cell
render_back:
        IXL
        DYS
        IXL
        DYS
        IXL
        DYS
        IXL
        DYS
        IXL
        DYS
        LP      REG_K
        ADIM    1
        CPIM    CELLS
        JRNZM   render_cell
        RTN

; X := just before the glyph of character A (0x8001 + 8A - 1); other codes show as "?".
glyph_to_x:
        CPIA    &20
        JRCP    glyph_unknown
        CPIA    &80
        JRCP    glyph_known
glyph_unknown:
        LIA     &3F
glyph_known:
        PUSH
        SWP
        ANIA    &0F
        RC
        SR
        ADIA    FONT_PAGE
        EXAB
        POP
        ANIA    &1F
        RC
        SL
        SL
        SL
        JP      set_x
