#pragma once

#include <string>
#include <vector>

// Writes the response bank: every table in table-index order, each sample a
// little-endian 64-bit IEEE double.
class BankWriter {
public:
    BankWriter(int tableCount, int tableLength);

    // Stores one table at its index; its length must be the table length.
    void set(int index, const std::vector<double>& table);

    // Writes all tables to a file; throws if a table is missing or the write fails.
    void write(const std::string& path) const;

private:
    int count;                 // number of tables
    int length;                // samples per table
    std::vector<double> data;  // all tables, back to back
    std::vector<bool> filled;  // which tables have been set
};
