// ROM images written by tests: a low and a high image that a test fills with its own program.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "support/files.h"

namespace tolvan::testing {

struct RomImages {
    std::vector<std::uint8_t> low = std::vector<std::uint8_t>(0x2000, 0x00);
    std::vector<std::uint8_t> high = std::vector<std::uint8_t>(0x8000, 0x00);

    // Places bytes at an emulated address in whichever image holds it.
    void place(std::uint16_t address, std::initializer_list<std::uint8_t> bytes) {
        for (std::uint8_t byte : bytes) {
            if (address < 0x2000) low[address] = byte;
            if (address >= 0x8000) high[address - 0x8000] = byte;
            ++address;
        }
    }
    void write(const std::string& low_name = "TOLVANL.ROM",
               const std::string& high_name = "TOLVANH.ROM") const {
        write_file(low_name, std::string(low.begin(), low.end()));
        write_file(high_name, std::string(high.begin(), high.end()));
    }
};

}  // namespace tolvan::testing
