#pragma once

#include <cstdint>

// Error numbers that the database layer raises itself, in the numbering the
// program's callers know from ADO/Jet. Failures reported by the SQLite engine
// carry the engine's own (extended) result code instead.
namespace orvane::adodb::aderr {

inline constexpr std::int32_t OutOfMemory = 7;             // runtime: Out of memory
inline constexpr std::int32_t FileAlreadyExists = 58;      // runtime: File already exists
inline constexpr std::int32_t PathFileAccess = 75;         // runtime: Path/File access error
inline constexpr std::int32_t InvalidArgument = 3001;     // adErrInvalidArgument
inline constexpr std::int32_t NoCurrentRecord = 3021;     // adErrNoCurrentRecord (BOF or EOF)
inline constexpr std::int32_t ObjectClosed = 3704;        // adErrObjectClosed
inline constexpr std::int32_t ObjectOpen = 3705;          // adErrObjectOpen
inline constexpr std::int32_t ProviderNotFound = 3706;    // adErrProviderNotFound
inline constexpr std::int32_t InvalidConnection = 3709;   // adErrInvalidConnection
inline constexpr std::int32_t Unspecified = -2147467259;  // E_FAIL
inline constexpr std::int32_t ErrorsInCommand = -2147217900;   // DB_E_ERRORSINCOMMAND
inline constexpr std::int32_t ObjectNotFound = -2147217865;    // DB_E_NOTABLE
inline constexpr std::int32_t ParameterMissing = -2147217904;  // DB_E_PARAMNOTOPTIONAL
inline constexpr std::int32_t NoCommandText = -2147217908;     // DB_E_NOCOMMAND

}  // namespace orvane::adodb::aderr
