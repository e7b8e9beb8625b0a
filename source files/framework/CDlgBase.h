#pragma once
#include "framework/CWndBase.h"

// A dialog's object. Its destruction unbinds the window if that window still belongs to it, then
// destroys it: by then the concrete class is gone, so the window's last messages reach no object
// and get the system's handling.
class CDlgBase : public CWndBase {
public:
    ~CDlgBase() override;

    // True while the object's window exists and is still bound to this object.
    bool OwnsWindow() const noexcept;
};
