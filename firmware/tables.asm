; The key table: for each place of the keyboard matrix, what the key means plain and with
; SHIFT. A printable character is typed; K_ values are editing keys; K_NONE does nothing.
; Place n (1-112) is at KEYMAP + 2 (n - 1).

        ORG     KEYMAP
; group A, line 0
        DB      &37, &26                ; bit 0: 63 7
        DB      &38, &2A                ; bit 1: 64 8
        DB      &39, &28                ; bit 2: 65 9
        DB      &2F, &3F                ; bit 3: 66 divide
        DB      K_NONE, K_NONE          ; bit 4: 67 X to M
        DB      K_NONE, K_NONE          ; bit 5: no key
        DB      K_NONE, K_NONE          ; bit 6: no key
        DB      K_NONE, K_NONE          ; bit 7: no key
; group A, line 1
        DB      &34, &24                ; bit 0: 68 4
        DB      &35, &25                ; bit 1: 69 5
        DB      &36, &5E                ; bit 2: 70 6
        DB      &2A, &2A                ; bit 3: 71 multiply
        DB      K_NONE, K_NONE          ; bit 4: 72 RM
        DB      K_SHIFT, K_SHIFT        ; bit 5: 11 SHIFT
        DB      K_NONE, K_NONE          ; bit 6: 23 DEF
        DB      K_NONE, K_NONE          ; bit 7: 34 SML
; group A, line 2
        DB      &31, &21                ; bit 0: 73 1
        DB      &32, &40                ; bit 1: 74 2
        DB      &33, &23                ; bit 2: 75 3
        DB      &2D, &5F                ; bit 3: 76 minus
        DB      K_NONE, K_NONE          ; bit 4: 77 M+
        DB      &51, &71                ; bit 5: 13 Q
        DB      &41, &61                ; bit 6: 24 A
        DB      &5A, &7A                ; bit 7: 35 Z
; group A, line 3
        DB      &30, &29                ; bit 0: 78 0
        DB      K_NONE, K_NONE          ; bit 1: 79 change sign
        DB      &2E, &3A                ; bit 2: 80 decimal point
        DB      &2B, &3D                ; bit 3: 81 plus
        DB      K_ENTER, K_ENTER        ; bit 4: 82 equals
        DB      &57, &77                ; bit 5: 14 W
        DB      &53, &73                ; bit 6: 25 S
        DB      &58, &78                ; bit 7: 36 X
; group A, line 4
        DB      K_NONE, K_NONE          ; bit 0: 45 hyp
        DB      K_NONE, K_NONE          ; bit 1: 46 sin
        DB      K_NONE, K_NONE          ; bit 2: 47 cos
        DB      K_NONE, K_NONE          ; bit 3: 48 tan
        DB      K_NONE, K_NONE          ; bit 4: 6 third teal key
        DB      &45, &65                ; bit 5: 15 E
        DB      &44, &64                ; bit 6: 26 D
        DB      &43, &63                ; bit 7: 37 C
; group A, line 5
        DB      K_NONE, K_NONE          ; bit 0: 51 HEX
        DB      K_NONE, K_NONE          ; bit 1: 52 DEG
        DB      K_NONE, K_NONE          ; bit 2: 53 ln
        DB      K_NONE, K_NONE          ; bit 3: 54 log
        DB      K_NONE, K_NONE          ; bit 4: 5 second teal key
        DB      &52, &72                ; bit 5: 16 R
        DB      &46, &66                ; bit 6: 27 F
        DB      &56, &76                ; bit 7: 38 V
; group A, line 6
        DB      K_NONE, K_NONE          ; bit 0: 57 EXP
        DB      K_NONE, K_NONE          ; bit 1: 58 y to the x
        DB      K_NONE, K_NONE          ; bit 2: 59 square root
        DB      K_NONE, K_NONE          ; bit 3: 60 x squared
        DB      K_NONE, K_NONE          ; bit 4: 4 first teal key
        DB      &54, &74                ; bit 5: 17 T
        DB      &47, &67                ; bit 6: 28 G
        DB      &42, &62                ; bit 7: 39 B
; group B, line 0
        DB      K_NONE, K_NONE          ; bit 0: no key
        DB      K_CLEAR, K_CLEAR        ; bit 1: 50 CCE
        DB      K_NONE, K_NONE          ; bit 2: 56 up-down arrow
        DB      K_NONE, K_NONE          ; bit 3: 49 F-E
        DB      K_DOWN, K_DOWN          ; bit 4: 7 down arrow
        DB      &59, &79                ; bit 5: 18 Y
        DB      &48, &68                ; bit 6: 29 H
        DB      &4E, &6E                ; bit 7: 40 N
; group B, line 1
        DB      K_NONE, K_NONE          ; bit 0: no key
        DB      K_NONE, K_NONE          ; bit 1: no key
        DB      &29, &5D                ; bit 2: 62 closing parenthesis
        DB      K_NONE, K_NONE          ; bit 3: 55 1/x
        DB      K_UP, K_UP              ; bit 4: 8 up arrow
        DB      &55, &75                ; bit 5: 19 U
        DB      &4A, &6A                ; bit 6: 30 J
        DB      &4D, &6D                ; bit 7: 41 M
; group B, line 2
        DB      K_NONE, K_NONE          ; bit 0: no key
        DB      K_NONE, K_NONE          ; bit 1: no key
        DB      K_NONE, K_NONE          ; bit 2: no key
        DB      &28, &5B                ; bit 3: 61 opening parenthesis
        DB      K_LEFT, K_BACKSPACE     ; bit 4: 9 left arrow
        DB      &49, &69                ; bit 5: 20 I
        DB      &4B, &6B                ; bit 6: 31 K
        DB      &20, &20                ; bit 7: 42 SPC
; group B, line 3
        DB      K_NONE, K_NONE          ; bit 0: no key
        DB      K_NONE, K_NONE          ; bit 1: no key
        DB      K_NONE, K_NONE          ; bit 2: no key
        DB      K_NONE, K_NONE          ; bit 3: no key
        DB      K_RIGHT, K_DELETE       ; bit 4: 10 right arrow
        DB      &4F, &6F                ; bit 5: 21 O
        DB      &4C, &6C                ; bit 6: 32 L
        DB      K_ENTER, K_ENTER        ; bit 7: 43 ENTER
; group B, line 4
        DB      K_NONE, K_NONE          ; bit 0: no key
        DB      K_NONE, K_NONE          ; bit 1: no key
        DB      K_NONE, K_NONE          ; bit 2: no key
        DB      K_NONE, K_NONE          ; bit 3: no key
        DB      K_NONE, K_NONE          ; bit 4: no key
        DB      &50, &70                ; bit 5: 22 P
        DB      &2C, &3B                ; bit 6: 33 comma
        DB      K_NONE, K_NONE          ; bit 7: 2 BASIC
; group B, line 5
        DB      K_NONE, K_NONE          ; bit 0: no key
        DB      K_NONE, K_NONE          ; bit 1: no key
        DB      K_NONE, K_NONE          ; bit 2: no key
        DB      K_NONE, K_NONE          ; bit 3: no key
        DB      K_NONE, K_NONE          ; bit 4: no key
        DB      K_NONE, K_NONE          ; bit 5: no key
        DB      K_SHIFT, K_SHIFT        ; bit 6: 12 SHIFT
        DB      K_NONE, K_NONE          ; bit 7: 1 CAL
; group B, line 6
        DB      K_NONE, K_NONE          ; bit 0: no key
        DB      K_NONE, K_NONE          ; bit 1: no key
        DB      K_NONE, K_NONE          ; bit 2: no key
        DB      K_NONE, K_NONE          ; bit 3: no key
        DB      K_NONE, K_NONE          ; bit 4: no key
        DB      K_NONE, K_NONE          ; bit 5: no key
        DB      K_NONE, K_NONE          ; bit 6: no key
        DB      K_NONE, K_NONE          ; bit 7: no key

; Texts: a length byte, then the characters.
        ORG     ROM_TEXT + 1
msg_ready:
        DB      12, "TOLVAN READY"
msg_break:
        DB      5, "BREAK"
msg_syntax:
        DB      12, "SYNTAX ERROR"
msg_digits:
        DB      15, "TOO MANY DIGITS"
msg_saved:
        DB      7, "SAVE OK"
msg_loaded:
        DB      7, "LOAD OK"
msg_no_lines:
        DB      14, "NOTHING LOADED"
; Command words, compared with the line in lower case.
word_save:
        DB      "save"
word_load:
        DB      "load"
