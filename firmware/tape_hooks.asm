; The tape load points: the machine hands over one character of the LOAD file when INB
; runs at 0xEC3B (in B, with the marks in TAPE_FLAGS) and goes on at 0xED12; INB at 0xF10F
; starts the transfer. Both are called, so each returns to its caller.

        ORG     &EC3B
tape_load_char:
        INB
        ORG     &ED12
        RTN

        ORG     &F10F
tape_load_start:
        INB
        RTN
