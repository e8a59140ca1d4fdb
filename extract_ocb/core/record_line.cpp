#include "ostrel/record_line.h"

#include <bit>
#include <cstring>
#include <utility>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define OSTREL_SSE2 1
#endif

#include "formats/ocb/digits.h"
#include "ostrel/digit_tables.h"
#include "platform/digits.h"

namespace ostrel {

namespace {

static_assert(ocb::kFillerNibble == 0x0F, "the filler test compares nibbles with the low mask");

// Where field n lies in the record.
template <int kField>
constexpr std::size_t kAt = ocb::FieldAt(kField).offset;

// The fixed-width writers below know the widths of the number fields.
static_assert(ocb::FieldAt(ocb::kCallingField).size == 5 &&
              ocb::FieldAt(ocb::kIcTrunkField).size == 5 &&
              ocb::FieldAt(ocb::kCalledField).size == 9);

// Each writer may store a few bytes past the end it returns; the next field
// or the CR LF overwrites them, and the room per field below allows for them.
inline char* PutByte(char* out, std::uint8_t value) {
  return platform::PutByteText(out, kDecimalBytes[value]);
}

inline char* PutNumberByte(char* out, std::uint8_t byte) {
  return platform::PutByteText(out, kNumberBytes[byte]);
}

// Unrolled: the field lengths are known when compiling.
template <std::size_t... kIndex>
inline char* PutNumberBytes(char* out, const std::uint8_t* bytes, std::index_sequence<kIndex...>) {
  ((out = PutNumberByte(out, bytes[kIndex])), ...);
  return out;
}

template <std::size_t kCount>
inline char* PutNumber(char* out, const std::uint8_t* bytes) {
  return PutNumberBytes(out, bytes, std::make_index_sequence<kCount>());
}

#if OSTREL_SSE2
// The 16 hex digits of 8 bytes, high nibble first, and a bit per digit that
// is the filler F.
struct Digits16 {
  __m128i text;
  unsigned fillers;
};

inline Digits16 SpreadDigits(__m128i bytes) {
  const __m128i low_nibbles = _mm_set1_epi8(0x0F);
  const __m128i high = _mm_and_si128(_mm_srli_epi16(bytes, 4), low_nibbles);
  const __m128i low = _mm_and_si128(bytes, low_nibbles);
  const __m128i nibbles = _mm_unpacklo_epi8(high, low);
  const __m128i letters =
      _mm_and_si128(_mm_cmpgt_epi8(nibbles, _mm_set1_epi8(9)), _mm_set1_epi8(7));
  const __m128i text = _mm_add_epi8(_mm_add_epi8(nibbles, _mm_set1_epi8('0')), letters);
  const unsigned fillers =
      static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(nibbles, low_nibbles)));
  return {text, fillers};
}

// Digits before the first filler when every digit after it is a filler too
// (the usual shape of a number field), else -1. `fillers` has a bit for each
// of the 16 places, places past the field counted as fillers.
inline int DigitsBeforeFillers(unsigned fillers) {
  if (fillers == 0) return 16;
  const int kept = std::countr_zero(fillers);
  return fillers >> kept == 0xFFFFu >> kept ? kept : -1;
}

// A 5-byte number field: 8 bytes are loaded, so 3 bytes past the field must
// lie inside the record.
inline char* PutNumber5(char* out, const std::uint8_t* bytes) {
  const Digits16 digits = SpreadDigits(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(bytes)));
  const int kept = DigitsBeforeFillers(digits.fillers | 0xFC00u);
  if (kept < 0) return PutNumber<5>(out, bytes);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), digits.text);
  return out + kept;
}

// The 9-byte called number: its first 8 bytes spread at once, the 9th alone.
inline char* PutNumber9(char* out, const std::uint8_t* bytes) {
  const Digits16 digits = SpreadDigits(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(bytes)));
  const int kept = DigitsBeforeFillers(digits.fillers);
  if (kept == 16) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), digits.text);
    return PutNumberByte(out + 16, bytes[8]);
  }
  if (kept < 0 || bytes[8] != ocb::kFillerByte) return PutNumber<9>(out, bytes);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), digits.text);
  return out + kept;
}
#else
inline char* PutNumber5(char* out, const std::uint8_t* bytes) {
  return PutNumber<5>(out, bytes);
}
inline char* PutNumber9(char* out, const std::uint8_t* bytes) {
  return PutNumber<9>(out, bytes);
}
#endif

inline char* PutHex(char* out, const std::uint8_t* bytes, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) platform::PutHexDigits(out + 2 * i, bytes[i]);
  return out + 2 * count;
}

// The most characters a field's text takes, plus the few a writer stores past it.
std::size_t FieldRoom(int field) {
  switch (field) {
    case 4:
      return ocb::kMaxDateText;
    case 5:
      return 8;
    case 6:
    case 15:
      return 16;
    case 8:
      return 16 + 4;
    case 12:
    case 13:
      return 10 + 4;
    case 14:
    case 17:
      return 4 + 4;
    default:
      return 3 + 4;
  }
}

}  // namespace

RecordLineFormatter::RecordLineFormatter(const std::vector<int>& fields, int header_year,
                                         int header_day)
    : fields_(fields), header_year_(header_year), header_day_(header_day) {
  spaced_last_ = !fields_.empty() && ocb::IsIntegerField(fields_.back());
  max_line_bytes_ = 2 + 2 + 16;  // spaces, CR LF, slack
  for (int field : fields_) max_line_bytes_ += FieldRoom(field) + 1;
  if (fields_ == std::vector<int>{4, 5, 6, 8, 12, 13, 14, 15}) {
    shape_ = Shape::kDefault;
  } else if (fields_ ==
             std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18}) {
    shape_ = Shape::kAll;
  }
}

inline char* RecordLineFormatter::PutDate(const std::uint8_t* record, char* out) {
  const std::uint32_t key = static_cast<std::uint32_t>(record[kAt<ocb::kDateField>]) << 8 |
                            record[kAt<ocb::kDateField> + 1];
  if (key != date_key_) {
    const int day = static_cast<int>(ocb::BcdValue(record + kAt<ocb::kDateField>, 2));
    const char* end = ocb::PutCallDate(date_text_.data(), day, header_year_, header_day_);
    date_length_ = static_cast<std::size_t>(end - date_text_.data());
    date_key_ = key;
  }
  std::memcpy(out, date_text_.data(), 16);
  if (date_length_ > 16) std::memcpy(out + 16, date_text_.data() + 16, date_length_ - 16);
  return out + date_length_;
}

template <int kField>
inline char* RecordLineFormatter::Put(const std::uint8_t* record, char* out) {
  constexpr std::size_t at = kAt<kField>;
  constexpr ocb::FieldKind kind = ocb::FieldAt(kField).kind;
  constexpr std::size_t size = ocb::FieldAt(kField).size;
  if constexpr (kField == ocb::kDateField) return PutDate(record, out);
  if constexpr (kField == ocb::kTimeField) return ocb::PutCallTime(out, record + at);
  if constexpr (kField == ocb::kCallingField)
    return PutNumber5(out, record + ocb::CallingOffset(record));
  if constexpr (kField == ocb::kIcTrunkField)
    return PutNumber5(out, record + ocb::IcTrunkOffset(record));
  if constexpr (kField == ocb::kCalledField) return PutNumber9(out, record + at);
  if constexpr (kind == ocb::FieldKind::kInteger && size == 1) return PutByte(out, record[at]);
  if constexpr (kind == ocb::FieldKind::kInteger && size == 2)
    return platform::PutDecimal(out, static_cast<std::uint32_t>(record[at] << 8 | record[at + 1]));
  if constexpr (kind == ocb::FieldKind::kInteger && size == 3)
    return platform::PutDecimal(
        out, static_cast<std::uint32_t>(record[at] << 16 | record[at + 1] << 8 | record[at + 2]));
  if constexpr (kind == ocb::FieldKind::kNumber && size == 2) return PutNumber<2>(out, record + at);
  if constexpr (kind == ocb::FieldKind::kHex) return PutHex(out, record + at, size);
  return out;
}

template <int... kFields>
inline char* RecordLineFormatter::PutWithCommas(const std::uint8_t* record, char* out) {
  ((out = Put<kFields>(record, out), *out++ = ','), ...);
  return out;
}

char* RecordLineFormatter::PutDateAndTime(const std::uint8_t* record, char* out, char** end) {
  char* const time = Put<ocb::kDateField>(record, out);
  *end = Put<ocb::kTimeField>(record, time);
  return time;
}

char* RecordLineFormatter::PutField(int field, const std::uint8_t* record, char* out) {
  switch (field) {
    case 1:
      return Put<1>(record, out);
    case 2:
      return Put<2>(record, out);
    case 3:
      return Put<3>(record, out);
    case 4:
      return Put<4>(record, out);
    case 5:
      return Put<5>(record, out);
    case 6:
      return Put<6>(record, out);
    case 7:
      return Put<7>(record, out);
    case 8:
      return Put<8>(record, out);
    case 9:
      return Put<9>(record, out);
    case 10:
      return Put<10>(record, out);
    case 11:
      return Put<11>(record, out);
    case 12:
      return Put<12>(record, out);
    case 13:
      return Put<13>(record, out);
    case 14:
      return Put<14>(record, out);
    case 15:
      return Put<15>(record, out);
    case 16:
      return Put<16>(record, out);
    case 17:
      return Put<17>(record, out);
    case 18:
      return Put<18>(record, out);
    default:
      return out;
  }
}

char* RecordLineFormatter::Format(const std::uint8_t* record, char* out) {
  // The two usual selections are written without choosing field by field.
  if (shape_ == Shape::kDefault) {
    out = PutWithCommas<4, 5, 6, 8, 12, 13, 14, 15>(record, out);
    out[-1] = '\r';
    out[0] = '\n';
    return out + 1;
  }
  if (shape_ == Shape::kAll) {
    out = PutWithCommas<1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17>(record, out);
    *out++ = ' ';
    out = Put<18>(record, out);
    std::memcpy(out, " \r\n", 3);
    return out + 3;
  }
  const std::size_t count = fields_.size();
  if (count > 0) {
    for (std::size_t i = 0; i + 1 < count; ++i) {
      out = PutField(fields_[i], record, out);
      *out++ = ',';
    }
    if (spaced_last_) *out++ = ' ';
    out = PutField(fields_[count - 1], record, out);
    if (spaced_last_) *out++ = ' ';
  }
  out[0] = '\r';
  out[1] = '\n';
  return out + 2;
}

}  // namespace ostrel
