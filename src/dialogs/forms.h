#pragma once
// The windows of the running program, created once at start in this order and
// alive until the end; each window reaches the others through this list.

namespace mivora {

class Prompter;
class TDateSelectDlg;
class TInDTLForm;
class TMivoraForm;
class TMivoraPtnForm;
class TMsgChkDlg;
class TPrFreeEditForm;
class TPrVersionDlg;
class TToolEditForm;

struct Forms {
    TMivoraPtnForm* main = nullptr;
    TMivoraForm* designer = nullptr;
    TPrVersionDlg* version = nullptr;
    TInDTLForm* digitCounts = nullptr;
    TToolEditForm* toolEdit = nullptr;
    TPrFreeEditForm* freeEdit = nullptr;
    TDateSelectDlg* dateSelect = nullptr;
    TMsgChkDlg* confirmation = nullptr;
    Prompter* prompter = nullptr; // how the core asks a person
};

} // namespace mivora
