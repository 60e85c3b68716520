; The display: the 16 characters of a pass are built in DISP, then drawn with the font.

clear_display:
        LIDP    DISPLAY         ; every dot column and annunciator off
        LII     DISPLAY_LAST
        RA
        FILD
        RTN

; Switching the display on ends the emulator's slice: one pass of the main loop per slice.
display_on:
        LIP     PORT_C          ; port C bit 0: the display on
        ANIM    0
        ORIM    1
        OUTC
        RTN

; BUSY shows at once: the display is switched on with it.
busy_on:
        LIDP    ANNUNCIATORS
        ORID    ANN_BUSY
        JP      display_on

busy_off:
        LIDP    ANNUNCIATORS
        ANID    &FF - ANN_BUSY
        RTN

; SHIFT lights while the next key gives its second function.
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
        TEST    1               ; no tick since the last pass: nothing to do
        JRZP    blink_done
        LP      V_TICKS         ; count the tick; only every CURSOR_TICKS-th one changes
        ADIM    1
        CPIM    CURSOR_TICKS
        JRCP    blink_done
        ANIM    0
        LP      V_PHASE         ; shown: hide it; hidden: show it
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
        LIB     ROM_TEXT_PAGE   ; X := the text's length byte, less one
        CALL    set_x
        LIB     MSG_PAGE        ; Y := just before the message buffer
        RA
        CALL    set_y
        IXL                     ; V_MSGLEN and N := the length
        LP      V_MSGLEN
        EXAM
        LDM
        LP      REG_N
        EXAM
        CALL    copy_forward    ; the characters into the buffer
message_shown:
        LP      V_VIEW          ; shown from its first character, instead of the line
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

; Copies N bytes (none when N is 0) from just after X to just after Y, leaving X and Y on the
; last byte of each.
copy_forward:
        LP      REG_N
        CPIM    0
        JRZP    copy_done
copy_byte:
        IXL
        IYS
        DECN
        JRNZM   copy_byte
copy_done:
        RTN

; DISP := what the LCD shows: the message (right-aligned, or from V_VIEW when it is longer
; than the display), or the edited line around the cursor.
build_display:
        LIDP    DISP            ; 16 spaces to start from
        LII     CELLS - 1
        LIA     &20
        FILD
        LP      V_MODE          ; no message: the line
        TSIM    MODE_MSG
        JRZP    build_line
        LP      V_MSGLEN        ; a message of 16 characters or less is right-aligned
        CPIM    CELLS + 1
        JRCP    build_short
        LP      REG_N           ; a longer one: 16 characters from V_VIEW
        ANIM    0
        ORIM    CELLS
        LIB     MSG_PAGE        ; X := just before character V_VIEW
        LP      V_VIEW
        LDM
        CALL    set_x
        LIB     DISP_PAGE       ; Y := just before DISP
        RA
        CALL    set_y
        JP      copy_forward
build_short:
        LP      V_MSGLEN        ; N := the length; nothing to copy for an empty message
        LDM
        LP      REG_N
        EXAM
        LP      REG_N
        CPIM    0
        JRZP    build_done
        LIB     MSG_PAGE        ; X := just before the message
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
        JP      copy_forward
build_done:
        RTN

build_line:
        ; Keep the cursor on the display: V_SCROLL <= V_CUR <= V_SCROLL + 15.
        LP      V_CUR           ; the cursor left of the view: the view starts at it
        LDM
        LP      V_SCROLL
        CPMA
        JRCP    scroll_right
        JRZP    scroll_right
        EXAM
scroll_right:
        LP      V_CUR           ; TMP0 := V_CUR - V_SCROLL, the cursor's cell
        LDM
        LP      TMP0
        EXAM
        LP      V_SCROLL
        LDM
        LP      TMP0
        SBM
        CPIM    CELLS           ; within the 16 cells: the view stays
        JRCP    scroll_done
        LP      V_CUR           ; beyond them: the view ends at the cursor
        LDM
        SBIA    CELLS - 1
        LP      V_SCROLL
        EXAM
scroll_done:
        LP      V_LEN           ; N := V_LEN - V_SCROLL, the characters from the view on
        LDM
        LP      REG_N
        EXAM
        LP      V_SCROLL
        LDM
        LP      REG_N
        SBM
        JRCP    line_cursor     ; none: only the cursor shows
        JRZP    line_cursor
        CPIM    CELLS + 1       ; at most 16 of them
        JRCP    line_count
        ANIM    0
        ORIM    CELLS
line_count:
        LIB     LINE_PAGE       ; X := just before character V_SCROLL of the line
        LP      V_SCROLL
        LDM
        CALL    set_x
        LIB     DISP_PAGE       ; Y := just before DISP
        RA
        CALL    set_y
        CALL    copy_forward
line_cursor:
        LP      V_PHASE         ; the block hidden: nothing more
        CPIM    0
        JRZP    line_done
        LP      V_CUR           ; Y := just before the cursor's cell in DISP
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
        LIA     CURSOR_CHAR     ; the block over the character there
        IYS
line_done:
        RTN

; Draws DISP into display memory, five dot columns per cell.
render:
        LIB     &6F             ; Y := 0x6FFF, just before cell 0
        LIA     &FF
        CALL    set_y
        LP      REG_K           ; K: the cell being drawn
        ANIM    0
render_cell:
        LIB     DISP_PAGE       ; A := the cell's character
        LP      REG_K
        LDM
        CALL    set_x
        IXL
        CALL    glyph_to_x      ; X := just before its glyph
        LP      REG_K           ; cells 12-15 run the other way
        CPIM    FIRST_CELLS
        JRNCP   render_back
        CALL    columns_forward
        LP      REG_K           ; the next cell, until cell 12
        ADIM    1
        CPIM    FIRST_CELLS
        JRNZM   render_cell
        LIB     &70             ; Y := 0x707C, just after the left column of cell 12
        LIA     &7C
        CALL    set_y
        JRM     render_cell
render_back:
        CALL    columns_backward
        LP      REG_K           ; the next cell, until the last
        ADIM    1
        CPIM    CELLS
        JRNZM   render_cell
        RTN

; The five columns of the glyph after X to the cells after Y (cells 0-11) or before it (cells
; 12-15, whose columns run backward from 0x707B).
columns_forward:
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
        RTN

columns_backward:
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
        RTN

; X := just before the glyph of character A (0x8001 + 8A - 1); other codes show as "?".
glyph_to_x:
        CPIA    &20             ; below the space or above the cursor block: "?"
        JRCP    glyph_unknown
        CPIA    &80
        JRCP    glyph_known
glyph_unknown:
        LIA     &3F
glyph_known:
        PUSH                    ; B := FONT_PAGE + A / 32, the high byte
        SWP
        ANIA    &0F
        RC
        SR
        ADIA    FONT_PAGE
        EXAB
        POP                     ; A := (A % 32) * 8, the low byte
        ANIA    &1F
        RC
        SL
        SL
        SL
        JP      set_x
