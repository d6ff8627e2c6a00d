#pragma once
// A byte count as macOS shows file sizes in its file manager, shared by the
// results screen and the report so both print the same words.

#include <QString>

#include <cstdint>

// Decimal units (1 KB = 1000 bytes): "Zero KB", "1 byte", "N bytes" below
// 1000, then KB with no decimals, MB with one, GB and above with two, rounded
// half up, without a trailing zero fraction. A value that rounds up to 1000
// of a unit is shown in the next unit ("1 MB", never "1000 KB").
QString byteCountText(std::int64_t bytes);
