#pragma once
// The controls of the layout designer and where they stand; the handlers live with
// the window.

namespace mivora {

class TMivoraForm;

// Creates every control of the window (its data sources exist already), in tab
// order, without binding or connecting any of them.
void buildDesignerWindow(TMivoraForm& form);

} // namespace mivora
