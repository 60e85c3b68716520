// Every instruction routine of the opcode table, grouped as the source files group them.
#pragma once

#include "bus/bus.h"
#include "cpu/state.h"

namespace tolvan::op {

// Register and pointer instructions (register_instructions.cpp).
void lii(Cpu&, Bus&);
void lij(Cpu&, Bus&);
void lia(Cpu&, Bus&);
void lib(Cpu&, Bus&);
void lip(Cpu&, Bus&);
void liq(Cpu&, Bus&);
void lidl(Cpu&, Bus&);
void lidp(Cpu&, Bus&);
void lp(Cpu&, Bus&);
void inci(Cpu&, Bus&);
void deci(Cpu&, Bus&);
void incj(Cpu&, Bus&);
void decj(Cpu&, Bus&);
void inca(Cpu&, Bus&);
void deca(Cpu&, Bus&);
void incb(Cpu&, Bus&);
void decb(Cpu&, Bus&);
void inck(Cpu&, Bus&);
void deck(Cpu&, Bus&);
void incl(Cpu&, Bus&);
void decl(Cpu&, Bus&);
void incm(Cpu&, Bus&);
void decm(Cpu&, Bus&);
void incn(Cpu&, Bus&);
void decn(Cpu&, Bus&);
void incp(Cpu&, Bus&);
void decp(Cpu&, Bus&);
void ix(Cpu&, Bus&);
void dx(Cpu&, Bus&);
void iy(Cpu&, Bus&);
void dy(Cpu&, Bus&);
void ixl(Cpu&, Bus&);
void dxl(Cpu&, Bus&);
void iys(Cpu&, Bus&);
void dys(Cpu&, Bus&);
void ra(Cpu&, Bus&);
void ldd(Cpu&, Bus&);
void ldm(Cpu&, Bus&);
void ldp(Cpu&, Bus&);
void ldq(Cpu&, Bus&);
void ldr(Cpu&, Bus&);
void std_(Cpu&, Bus&);
void stp(Cpu&, Bus&);
void stq(Cpu&, Bus&);
void str(Cpu&, Bus&);

// Control-flow and stack instructions (control_flow.cpp).
void jrp(Cpu&, Bus&);
void jrm(Cpu&, Bus&);
void jrzp(Cpu&, Bus&);
void jrzm(Cpu&, Bus&);
void jrnzp(Cpu&, Bus&);
void jrnzm(Cpu&, Bus&);
void jrcp(Cpu&, Bus&);
void jrcm(Cpu&, Bus&);
void jrncp(Cpu&, Bus&);
void jrncm(Cpu&, Bus&);
void jp(Cpu&, Bus&);
void jpz(Cpu&, Bus&);
void jpnz(Cpu&, Bus&);
void jpc(Cpu&, Bus&);
void jpnc(Cpu&, Bus&);
void call(Cpu&, Bus&);
void cal(Cpu&, Bus&);
void rtn(Cpu&, Bus&);
void push(Cpu&, Bus&);
void pop(Cpu&, Bus&);
void leave(Cpu&, Bus&);
void loop(Cpu&, Bus&);
void ptj(Cpu&, Bus&);
void dtj(Cpu&, Bus&);
void undefined(Cpu&, Bus&);
void no_operation(Cpu&, Bus&);

// Block transfer, exchange and flag instructions (block_instructions.cpp).
void nopw(Cpu&, Bus&);
void nopt(Cpu&, Bus&);
void wait(Cpu&, Bus&);
void waiti(Cpu&, Bus&);
void rc(Cpu&, Bus&);
void sc(Cpu&, Bus&);
void sl(Cpu&, Bus&);
void sr(Cpu&, Bus&);
void swp(Cpu&, Bus&);
void exab(Cpu&, Bus&);
void exam(Cpu&, Bus&);
void exw(Cpu&, Bus&);
void exb(Cpu&, Bus&);
void exwd(Cpu&, Bus&);
void exbd(Cpu&, Bus&);
void film(Cpu&, Bus&);
void fild(Cpu&, Bus&);
void mvw(Cpu&, Bus&);
void mvb(Cpu&, Bus&);
void mvwd(Cpu&, Bus&);
void mvbd(Cpu&, Bus&);
void data(Cpu&, Bus&);
void mvdm(Cpu&, Bus&);
void mvmd(Cpu&, Bus&);
void readm(Cpu&, Bus&);
void read(Cpu&, Bus&);

// Binary arithmetic and logic (arithmetic_instructions.cpp).
void adia(Cpu&, Bus&);
void adim(Cpu&, Bus&);
void adm(Cpu&, Bus&);
void adcm(Cpu&, Bus&);
void sbia(Cpu&, Bus&);
void sbim(Cpu&, Bus&);
void sbm(Cpu&, Bus&);
void sbcm(Cpu&, Bus&);
void ania(Cpu&, Bus&);
void oria(Cpu&, Bus&);
void tsia(Cpu&, Bus&);
void cpia(Cpu&, Bus&);
void anim(Cpu&, Bus&);
void orim(Cpu&, Bus&);
void tsim(Cpu&, Bus&);
void cpim(Cpu&, Bus&);
void anma(Cpu&, Bus&);
void orma(Cpu&, Bus&);
void tsma(Cpu&, Bus&);
void cpma(Cpu&, Bus&);
void anid(Cpu&, Bus&);
void orid(Cpu&, Bus&);
void tsid(Cpu&, Bus&);

// Decimal, word and digit-shift instructions (decimal_instructions.cpp).
void adn(Cpu&, Bus&);
void sbn(Cpu&, Bus&);
void adw(Cpu&, Bus&);
void sbw(Cpu&, Bus&);
void adb(Cpu&, Bus&);
void sbb(Cpu&, Bus&);
void srw(Cpu&, Bus&);
void slw(Cpu&, Bus&);

// Port input/output instructions (port_instructions.cpp).
void ina(Cpu&, Bus&);
void inb(Cpu&, Bus&);
void outa(Cpu&, Bus&);
void outb(Cpu&, Bus&);
void outc(Cpu&, Bus&);
void outf(Cpu&, Bus&);
void test(Cpu&, Bus&);
void int_(Cpu&, Bus&);

}  // namespace tolvan::op
