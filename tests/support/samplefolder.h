#pragma once
// A program folder with the sample tables in CARDATA/ and a session on it, made
// fresh for each test and removed afterwards.

#include "session/session.h"
#include "support/tempdir.h"

namespace mivora::test {

class SampleFolder {
  public:
    SampleFolder();

    const std::filesystem::path& dir() const { return dir_.path(); }
    // The session on the folder, with the main window's tables open.
    Session& session() { return session_; }

  private:
    TempDir dir_;
    Session session_;
};

} // namespace mivora::test
