#pragma once
// The windows of the running program, created once at start in this order and
// alive until the end; each window reaches the others through this list.

namespace mivora {

class Prompter;
class TMivoraPtnForm;
class TPrVersionDlg;

struct Forms {
    TMivoraPtnForm* main = nullptr;
    TPrVersionDlg* version = nullptr;
    Prompter* prompter = nullptr; // how the core asks a person
};

} // namespace mivora
