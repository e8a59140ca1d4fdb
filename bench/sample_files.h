#pragma once
// Sample files for the micro-benchmarks, written once per run into the
// temporary folder so that the page cache holds them.
#include <cstdint>
#include <string>
#include <string_view>

namespace bench {

// The path of a cdrgen sample file of `format` and about `size` bytes.
const std::string& SampleFile(std::string_view format, std::uint64_t size);

}  // namespace bench
