#include "tools/bankgen/BankWriter.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <stdexcept>

BankWriter::BankWriter(int tableCount, int tableLength)
    : count(tableCount), length(tableLength),
      data(static_cast<std::size_t>(tableCount) * tableLength, 0.0), filled(tableCount, false)
{
}

void BankWriter::set(int index, const std::vector<double>& table)
{
    if (index < 0 || index >= count)
        throw std::out_of_range("table index");
    if (static_cast<int>(table.size()) != length)
        throw std::invalid_argument("table length");
    if (filled[index])
        throw std::logic_error("table written twice");
    std::copy(table.begin(), table.end(), data.begin() + static_cast<std::ptrdiff_t>(index) * length);
    filled[index] = true;
}

void BankWriter::write(const std::string& path) const
{
    if (std::find(filled.begin(), filled.end(), false) != filled.end())
        throw std::logic_error("bank has missing tables");
    std::vector<unsigned char> bytes(data.size() * 8);
    for (std::size_t i = 0; i < data.size(); ++i) {
        std::uint64_t bits;
        std::memcpy(&bits, &data[i], 8);
        for (int b = 0; b < 8; ++b)
            bytes[i * 8 + b] = static_cast<unsigned char>(bits >> (8 * b));
    }
    // Write beside the target and rename, so that an interrupted build never
    // leaves a truncated bank that looks up to date.
    const std::string partial = path + ".partial";
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out)
            throw std::runtime_error("cannot write " + partial);
    }
    if (std::rename(partial.c_str(), path.c_str()) != 0)
        throw std::runtime_error("cannot rename " + partial + " to " + path);
}
