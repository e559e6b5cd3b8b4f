#pragma once
// A dataset filled from memory, for the grid's tests: no database behind it.

#include <vector>

#include "data/Dataset.h"

class MemoryDataset : public Dataset {
public:
    void Load(std::vector<QString> columns, std::vector<Row> rows) {
        SetResult(std::move(columns), std::move(rows));
    }
};
