// The About box: the program's icon, name and version, author and web site. It has no
// behaviour of its own; the template carries everything.
#pragma once

#include "framework/dialog.h"
#include "resource.h"

class CAboutDlg : public CDialog {
public:
    enum { IDD = IDD_ABOUTBOX };

    explicit CAboutDlg(CDialog* pParent = nullptr) : CDialog(IDD, pParent) {}
};
