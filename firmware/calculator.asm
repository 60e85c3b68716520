; The calculator: decimal integers of up to 20 digits joined by + and -, an optional sign
; first, spaces anywhere between. The sum is kept in ten's complement over 24 digits in
; ACC; TERM takes each number. The result, or a message, becomes the shown message.

MAX_DIGITS      EQU 20
CHAR_SPACE      EQU &20
CHAR_PLUS       EQU &2B
CHAR_MINUS      EQU &2D
CHAR_ZERO       EQU &30

evaluate:
        LDR                     ; the stack pointer, for the errors to return from any depth
        LP      V_EVSP
        EXAM
        CALL    busy_on
        LP      ACC             ; ACC := 0, from the first character on
        LII     BCD_LAST
        RA
        FILM
        LP      V_POS
        ANIM    0
        CALL    skip_spaces     ; a sign first is the first term's; none means +
        CALL    peek_char
        CPIA    CHAR_PLUS
        JRZP    first_sign
        CPIA    CHAR_MINUS
        JRZP    first_sign
        LIA     CHAR_PLUS
        JRP     keep_sign
first_sign:
        LP      V_POS
        ADIM    1
keep_sign:
        LP      V_OP
        EXAM
next_term:
        CALL    skip_spaces     ; TERM := the next number
        CALL    parse_number
        LP      ACC_LOW         ; ACC := ACC + TERM or ACC - TERM, by its sign
        LIQ     TERM_LOW
        LII     BCD_LAST
        LP      V_OP
        LDM
        LP      ACC_LOW
        CPIA    CHAR_MINUS
        JRZP    subtract_term
        ADW
        JRP     after_term
subtract_term:
        SBW
after_term:
        CALL    skip_spaces     ; the end of the line, or the next term's sign
        CALL    peek_char
        CPIA    0
        JRZP    evaluated
        CPIA    CHAR_PLUS
        JRZP    another_term
        CPIA    CHAR_MINUS
        JRNZP   syntax_error
another_term:
        LP      V_OP            ; the sign kept for the term that follows it
        EXAM
        LP      V_POS
        ADIM    1
        JRM     next_term
evaluated:
        CALL    format_result   ; the sum becomes the message
        JP      busy_off

syntax_error:
        LIA     msg_syntax - 1 - ROM_TEXT
        JRP     calculation_failed
too_many_digits:
        LIA     msg_digits - 1 - ROM_TEXT
; Leaves from any depth of the calculation with message A.
calculation_failed:
        LP      TMP0            ; the stack as evaluate found it, then the message
        EXAM
        LP      V_EVSP
        LDM
        STR
        LP      TMP0
        LDM
        CALL    show_message
        JP      busy_off

; A := the character at V_POS, or 0 at the end of the line.
peek_char:
        LP      V_POS           ; at the end: 0
        LDM
        LP      V_LEN
        CPMA
        JRNZP   peek_read
        RA
        RTN
peek_read:
        LIB     LINE_PAGE       ; the character through X, just before it
        CALL    set_x
        IXL
        RTN

; V_POS := the next character that is not a space.
skip_spaces:
        CALL    peek_char
        CPIA    CHAR_SPACE
        JRNZP   spaces_done
        LP      V_POS
        ADIM    1
        JRM     skip_spaces
spaces_done:
        RTN

; TERM := the number at V_POS, one digit at a time into its low end.
parse_number:
        LP      TERM            ; TERM := 0, no digit yet
        LII     BCD_LAST
        RA
        FILM
        LP      V_DIGITS
        ANIM    0
digit:
        CALL    peek_char       ; a digit, or the number ends
        CPIA    CHAR_ZERO
        JRCP    digits_done
        CPIA    CHAR_ZERO + 10
        JRNCP   digits_done
        ANIA    &0F             ; TMP1 := its value
        LP      TMP1
        EXAM
        LP      V_DIGITS        ; at most MAX_DIGITS of them
        ADIM    1
        CPIM    MAX_DIGITS + 1
        JPNC    too_many_digits
        LP      TERM_LOW        ; TERM := TERM * 10 + the digit: one BCD digit to the left
        LII     BCD_LAST
        SLW
        LP      TMP1
        LDM
        LP      TERM_LOW
        ORMA
        LP      V_POS           ; on to the next character
        ADIM    1
        JRM     digit
digits_done:
        LP      V_DIGITS        ; a number needs a digit
        CPIM    0
        JPZ     syntax_error
        RTN

; The message := ACC in decimal, with "-" in front when it is negative.
format_result:
        LP      V_MSGLEN        ; an empty message; Y := just before its buffer
        ANIM    0
        LIB     MSG_PAGE
        RA
        CALL    set_y
        LP      ACC             ; a top digit of 5 or more is a negative number
        CPIM    &50
        JRCP    positive
        LP      TERM            ; ACC := 0 - ACC
        LII     BCD_LAST
        RA
        FILM
        LP      TERM_LOW
        LIQ     ACC_LOW
        LII     BCD_LAST
        SBW
        LP      ACC
        LIQ     TERM
        LII     BCD_LAST
        MVW
        LIA     CHAR_MINUS
        CALL    message_put
positive:
        LP      V_STARTED       ; no digit shown yet; N := the 24 digits to go
        ANIM    0
        LP      REG_N
        ANIM    0
        ORIM    BCD_LAST + BCD_LAST + 2
next_digit:
        LP      ACC             ; the top digit, then shift it out
        LDM
        SWP
        ANIA    &0F
        PUSH
        LP      ACC_LOW
        LII     BCD_LAST
        SLW
        POP
        CPIA    0               ; leading zeros do not show
        JRNZP   show_digit
        LP      V_STARTED
        CPIM    0
        JRNZP   show_digit
        LP      REG_N           ; the units always show
        CPIM    1
        JRNZP   skip_digit
show_digit:
        LP      V_STARTED       ; from here on every digit shows
        ANIM    0
        ORIM    1
        ORIA    CHAR_ZERO
        CALL    message_put
skip_digit:
        DECN
        JRNZM   next_digit
        JP      message_shown
