; The machine of the kept state file: a loop that counts in RAM, shows the count on the LCD,
; polls the keyboard and the 2 ms timer, and passes the key-release address.
        ORG &0000
start:  LIDP &2000
        LDD
        INCA
        STD
        LIDP &7010
        STD
        LIP &5F
        ORIM 01
        OUTC
        TEST 08
        TEST 02
        CALL scan
        JP start

        ORG &1330
scan:   RTN
