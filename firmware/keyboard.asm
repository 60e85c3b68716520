; The keyboard scan, entered at 0x1330 once per pass of the main loop. Returns in A the
; place (1-112) of a key that has just gone down, or 0. Places count 8 per line: group A
; lines 0-6 give 1-56, group B lines 0-6 give 57-112, bit 0 first.

key_scan:
        TEST    8               ; takes a posted key into the matrix; Z clear on BRK
        JPNZ    on_break
        LIP     PORT_A          ; group A: no group B line selected
        ANIM    0
        OUTA
        LIDP    KEY_STROBE
        LP      REG_K           ; K: the line's strobe bit, line 0 first
        ANIM    0
        ORIM    1
        LP      REG_L           ; L: the places before this line, 8 a line
        ANIM    0
scan_group_a:
        LP      REG_K           ; select the line, read its keys
        LDM
        STD
        INA
        JRNZP   scan_found
        LP      REG_L           ; none: the next line, until all seven are read
        ADIM    8
        LP      REG_K
        LDM
        ADM
        CPIM    &80
        JRNZM   scan_group_a
        RA                      ; group B: no group A line selected
        STD
        LP      REG_K
        ANIM    0
        ORIM    1
        LP      REG_M           ; the bits above line j: INA also returns the selection
        ANIM    0
        ORIM    &FE
scan_group_b:
        LP      REG_K           ; select the line through port A, read its keys
        LDM
        LIP     PORT_A
        EXAM
        OUTA
        INA
        LP      TMP0            ; the keys above the line's own bit only
        EXAM
        LP      REG_M
        LDM
        LP      TMP0
        ANMA
        JRNZP   scan_found_b
        LP      REG_L           ; none: the next line, until all seven are read
        ADIM    8
        LP      REG_M
        LDM
        ADM
        LP      REG_K
        LDM
        ADM
        CPIM    &80
        JRNZM   scan_group_b
        RA                      ; no key down
        JRP     scan_result
scan_found_b:
        LDM
scan_found:
        LP      REG_L           ; L := L + 1 + the number of the key's bit
scan_bit:
        ADIM    1
        SR
        JRNCM   scan_bit
        LDM
scan_result:
        PUSH                    ; no line selected any more
        LIP     PORT_A
        ANIM    0
        OUTA
        RA
        STD
        POP
        LP      V_PREV          ; one press gives one key: only a change counts
        CPMA
        JRZP    scan_same
        EXAM
        LDM
        RTN
scan_same:
        RA
        RTN
