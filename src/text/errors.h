#pragma once
// The typed failures of the core. Messages are UTF-8, ready for a message box;
// the window handler that started an operation shows them and the process goes on.

#include <filesystem>
#include <stdexcept>
#include <string>
#include <system_error>

namespace mivora {

class Error : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The database engine: a missing table or field, a failed statement or post.
class DatabaseError : public Error {
  public:
    using Error::Error;
};

// The database server cannot be reached: the other tables on it need not be tried.
class ConnectionError : public DatabaseError {
  public:
    using DatabaseError::DatabaseError;
};

// Reading or writing a file.
class FileError : public Error {
  public:
    using Error::Error;
};

enum class FileAction { Read, Write, Create };

// The failure of a file operation as a clerk reads it: a Japanese sentence naming
// the file, chosen by the system's error number (errno), and the system's own text
// in parentheses.
FileError fileFailure(const std::filesystem::path& file, FileAction action, int errorNumber);

// The system's reason for a failure, for the parentheses after a Japanese
// sentence: the common ones (a missing file, no permission, a full disk, a
// read-only disk, a file in use, an I/O error, a name too long) in Japanese, the
// system's own text for the rest.
std::string systemReason(int errorNumber);
std::string systemReason(const std::error_code& error);

// A value that cannot be turned into what was asked for (a text into an integer,
// a character without a Shift-JIS code).
class ConversionError : public Error {
  public:
    using Error::Error;
};

} // namespace mivora
