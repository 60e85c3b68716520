ORG &0100 ; Sets the start address of the program 

start:
L_0100:  LIDP  &1234
L_0103:  JRNZP L_0107
L_0105:  CAL   &0123
; End of program = &0107
