#include "cpu/opcode_table.h"

#include "cpu/instructions.h"

namespace tolvan {

namespace {

constexpr std::array<OpcodeInfo, 256> make_opcode_table() {
    std::array<OpcodeInfo, 256> table{};
    for (auto& entry : table)
        entry = {op::undefined, "?", Operand::kUndefined};
    auto set = [&table](int opcode, Routine routine, std::string_view mnemonic,
                        Operand operand = Operand::kNone, Flow flow = Flow::kSequential) {
        table[opcode] = {routine, mnemonic, operand, flow};
    };
    constexpr Flow kCall = Flow::kCall;
    constexpr Flow kReturn = Flow::kReturn;
    using enum Operand;
    // clang-format off
    set(0x00, op::lii, "LII", kByte);     set(0x01, op::lij, "LIJ", kByte);
    set(0x02, op::lia, "LIA", kByte);     set(0x03, op::lib, "LIB", kByte);
    set(0x04, op::ix, "IX");              set(0x05, op::dx, "DX");
    set(0x06, op::iy, "IY");              set(0x07, op::dy, "DY");
    set(0x08, op::mvw, "MVW");            set(0x09, op::exw, "EXW");
    set(0x0A, op::mvb, "MVB");            set(0x0B, op::exb, "EXB");
    set(0x0C, op::adn, "ADN");            set(0x0D, op::sbn, "SBN");
    set(0x0E, op::adw, "ADW");            set(0x0F, op::sbw, "SBW");
    set(0x10, op::lidp, "LIDP", kWord);   set(0x11, op::lidl, "LIDL", kByte);
    set(0x12, op::lip, "LIP", kByte);     set(0x13, op::liq, "LIQ", kByte);
    set(0x14, op::adb, "ADB");            set(0x15, op::sbb, "SBB");
    set(0x16, op::int_, "INT", kByte);
    set(0x18, op::mvwd, "MVWD");          set(0x19, op::exwd, "EXWD");
    set(0x1A, op::mvbd, "MVBD");          set(0x1B, op::exbd, "EXBD");
    set(0x1C, op::srw, "SRW");            set(0x1D, op::slw, "SLW");
    set(0x1E, op::film, "FILM");          set(0x1F, op::fild, "FILD");
    set(0x20, op::ldp, "LDP");            set(0x21, op::ldq, "LDQ");
    set(0x22, op::ldr, "LDR");            set(0x23, op::ra, "RA");
    set(0x24, op::ixl, "IXL");            set(0x25, op::dxl, "DXL");
    set(0x26, op::iys, "IYS");            set(0x27, op::dys, "DYS");
    set(0x28, op::jrnzp, "JRNZP", kForward);  set(0x29, op::jrnzm, "JRNZM", kBackward);
    set(0x2A, op::jrncp, "JRNCP", kForward);  set(0x2B, op::jrncm, "JRNCM", kBackward);
    set(0x2C, op::jrp, "JRP", kForward);      set(0x2D, op::jrm, "JRM", kBackward);
    set(0x2F, op::loop, "LOOP", kBackward);
    set(0x30, op::stp, "STP");            set(0x31, op::stq, "STQ");
    set(0x32, op::str, "STR");            set(0x33, op::undefined, " ?", kUndefined);
    set(0x34, op::push, "PUSH");          set(0x35, op::data, "DATA");
    set(0x37, op::rtn, "RTN", kNone, kReturn);
    set(0x38, op::jrzp, "JRZP", kForward);    set(0x39, op::jrzm, "JRZM", kBackward);
    set(0x3A, op::jrcp, "JRCP", kForward);    set(0x3B, op::jrcm, "JRCM", kBackward);
    set(0x40, op::inci, "INCI");          set(0x41, op::deci, "DECI");
    set(0x42, op::inca, "INCA");          set(0x43, op::deca, "DECA");
    set(0x44, op::adm, "ADM");            set(0x45, op::sbm, "SBM");
    set(0x46, op::anma, "ANMA");          set(0x47, op::orma, "ORMA");
    set(0x48, op::inck, "INCK");          set(0x49, op::deck, "DECK");
    set(0x4A, op::incm, "INCM");          set(0x4B, op::decm, "DECM");
    set(0x4C, op::ina, "INA");            set(0x4D, op::nopw, "NOPW");
    set(0x4E, op::wait, "WAIT", kByte);   set(0x4F, op::waiti, "WAITI");
    set(0x50, op::incp, "INCP");          set(0x51, op::decp, "DECP");
    set(0x52, op::std_, "STD");           set(0x53, op::mvdm, "MVDM");
    set(0x54, op::readm, "READM");        set(0x55, op::mvmd, "MVMD");
    set(0x56, op::read, "READ");          set(0x57, op::ldd, "LDD");
    set(0x58, op::swp, "SWP");            set(0x59, op::ldm, "LDM");
    set(0x5A, op::sl, "SL");              set(0x5B, op::pop, "POP");
    set(0x5D, op::outa, "OUTA");          set(0x5F, op::outf, "OUTF");
    set(0x60, op::anim, "ANIM", kByte);   set(0x61, op::orim, "ORIM", kByte);
    set(0x62, op::tsim, "TSIM", kByte);   set(0x63, op::cpim, "CPIM", kByte);
    set(0x64, op::ania, "ANIA", kByte);   set(0x65, op::oria, "ORIA", kByte);
    set(0x66, op::tsia, "TSIA", kByte);   set(0x67, op::cpia, "CPIA", kByte);
    set(0x69, op::dtj, "DTJ");            set(0x6B, op::test, "TEST", kByte);
    set(0x70, op::adim, "ADIM", kByte);   set(0x71, op::sbim, "SBIM", kByte);
    set(0x72, op::no_operation, "?");     set(0x73, op::no_operation, "?");
    set(0x74, op::adia, "ADIA", kByte);   set(0x75, op::sbia, "SBIA", kByte);
    set(0x76, op::no_operation, "?");     set(0x77, op::no_operation, "?");
    set(0x78, op::call, "CALL", kWord, kCall);   set(0x79, op::jp, "JP", kWord);
    set(0x7A, op::ptj, "PTJ", kTableJump, kCall);
    set(0x7C, op::jpnz, "JPNZ", kWord);   set(0x7D, op::jpnc, "JPNC", kWord);
    set(0x7E, op::jpz, "JPZ", kWord);     set(0x7F, op::jpc, "JPC", kWord);
    for (int opcode = kFirstLp; opcode <= kLastLp; ++opcode) set(opcode, op::lp, "LP", kPointerInOpcode);
    set(0xC0, op::incj, "INCJ");          set(0xC1, op::decj, "DECJ");
    set(0xC2, op::incb, "INCB");          set(0xC3, op::decb, "DECB");
    set(0xC4, op::adcm, "ADCM");          set(0xC5, op::sbcm, "SBCM");
    set(0xC6, op::tsma, "TSMA");          set(0xC7, op::cpma, "CPMA");
    set(0xC8, op::incl, "INCL");          set(0xC9, op::decl, "DECL");
    set(0xCA, op::incn, "INCN");          set(0xCB, op::decn, "DECN");
    set(0xCC, op::inb, "INB");            set(0xCE, op::nopt, "NOPT");
    set(0xD0, op::sc, "SC");              set(0xD1, op::rc, "RC");
    set(0xD2, op::sr, "SR");              set(0xD3, op::undefined, "WRIT ?", kUndefinedMarked);
    set(0xD4, op::anid, "ANID", kByte);   set(0xD5, op::orid, "ORID", kByte);
    set(0xD6, op::tsid, "TSID", kByte);   set(0xD8, op::leave, "LEAVE");
    set(0xDA, op::exab, "EXAB");          set(0xDB, op::exam, "EXAM");
    set(0xDD, op::outb, "OUTB");          set(0xDF, op::outc, "OUTC");
    for (int opcode = kFirstCal; opcode <= 0xFF; ++opcode) set(opcode, op::cal, "CAL", kCallInOpcode, kCall);
    // clang-format on
    return table;
}

constexpr std::array<OpcodeInfo, 256> kTable = make_opcode_table();

constexpr std::array<Routine, 256> routines_of(const std::array<OpcodeInfo, 256>& table) {
    std::array<Routine, 256> routines{};
    for (std::size_t opcode = 0; opcode < table.size(); ++opcode)
        routines[opcode] = table[opcode].execute;
    return routines;
}

}  // namespace

constinit const std::array<OpcodeInfo, 256> kOpcodeTable = kTable;
constinit const std::array<Routine, 256> kRoutines = routines_of(kTable);

}  // namespace tolvan
