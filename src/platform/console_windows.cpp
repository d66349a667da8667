#include "platform/console.h"

#include <windows.h>

#include <iostream>
#include <streambuf>

namespace mivora {

namespace {

std::wstring wideOf(const std::string& utf8) {
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                        length);
    return wide;
}

std::string bytesOf(const std::wstring& wide, UINT codePage) {
    const int length = WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), bytes.data(),
                        length, nullptr, nullptr);
    return bytes;
}

// The length of the text up to the last whole UTF-8 character: a character split
// between two writes is written with the second.
std::size_t wholeCharacters(const std::string& text) {
    std::size_t end = text.size();
    std::size_t back = 0;
    while (back < end && back < 4 &&
           (static_cast<unsigned char>(text[end - 1 - back]) & 0xC0) == 0x80)
        ++back;
    if (back == end)
        return end;
    const unsigned char lead = static_cast<unsigned char>(text[end - 1 - back]);
    const std::size_t needed = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    return needed > back + 1 ? end - 1 - back : end;
}

class ConsoleBuffer : public std::streambuf {
  public:
    ConsoleBuffer(DWORD which, bool utf8WhenRedirected) : handle_(GetStdHandle(which)) {
        DWORD mode = 0;
        console_ = GetConsoleMode(handle_, &mode) != 0;
        codePage_ = utf8WhenRedirected ? CP_UTF8 : GetConsoleOutputCP();
        if (codePage_ == 0) // no console at all: the PC's own code page
            codePage_ = GetACP();
    }
    ~ConsoleBuffer() override { writePending(); }

  protected:
    int_type overflow(int_type c) override {
        if (c != traits_type::eof()) {
            pending_ += static_cast<char>(c);
            if (c == '\n')
                writePending();
        }
        return traits_type::not_eof(c);
    }
    std::streamsize xsputn(const char* text, std::streamsize count) override {
        pending_.append(text, static_cast<std::size_t>(count));
        if (pending_.find('\n') != std::string::npos)
            writePending();
        return count;
    }
    int sync() override {
        writePending();
        return 0;
    }

  private:
    void writePending() {
        const std::size_t whole = wholeCharacters(pending_);
        std::wstring wide = wideOf(pending_.substr(0, whole));
        pending_.erase(0, whole);
        DWORD written = 0;
        if (console_) {
            WriteConsoleW(handle_, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
            return;
        }
        std::wstring lines;
        for (wchar_t c : wide) {
            if (c == L'\n')
                lines += L'\r';
            lines += c;
        }
        const std::string bytes = bytesOf(lines, codePage_);
        WriteFile(handle_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    }

    HANDLE handle_;
    bool console_ = false;
    UINT codePage_ = CP_UTF8;
    std::string pending_;
};

// An argument as CommandLineToArgvW reads it back.
std::wstring quoted(const std::wstring& argument) {
    std::wstring text = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
        } else {
            if (c == L'"')
                text.append(backslashes + 1, L'\\');
            backslashes = 0;
        }
        text += c;
    }
    text.append(backslashes, L'\\');
    return text + L"\"";
}

} // namespace

struct ConsoleStreams::Streams {
    Streams(bool utf8) : out(STD_OUTPUT_HANDLE, utf8), err(STD_ERROR_HANDLE, utf8) {}
    ConsoleBuffer out;
    ConsoleBuffer err;
    std::streambuf* savedOut = nullptr;
    std::streambuf* savedErr = nullptr;
};

ConsoleStreams::ConsoleStreams(bool utf8WhenRedirected)
    : streams_(std::make_unique<Streams>(utf8WhenRedirected)) {
    streams_->savedOut = std::cout.rdbuf(&streams_->out);
    streams_->savedErr = std::cerr.rdbuf(&streams_->err);
}

ConsoleStreams::~ConsoleStreams() {
    std::cout.flush();
    std::cerr.flush();
    std::cout.rdbuf(streams_->savedOut);
    std::cerr.rdbuf(streams_->savedErr);
}

bool startWindowedProgram(const std::vector<std::string>& arguments) {
    std::wstring program(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, program.data(), static_cast<DWORD>(program.size()));
        if (length < program.size()) {
            program.resize(length);
            break;
        }
        program.resize(program.size() * 2);
    }
    program = program.substr(0, program.find_last_of(L'.')) + L".exe";
    std::wstring commandLine = quoted(program);
    for (const std::string& argument : arguments)
        commandLine += L" " + quoted(wideOf(argument));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &started))
        return false;
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    return true;
}

} // namespace mivora
