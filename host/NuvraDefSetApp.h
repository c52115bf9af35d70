// The framework's application object of this module. It takes no part in the commit.
#pragma once
#include "../framework/CWinApp.h"

class CNuvraDefSetApp : public CWinApp {
public:
    CNuvraDefSetApp();
    ~CNuvraDefSetApp() override;
    BOOL InitInstance() override;

    DECLARE_MESSAGE_MAP()
};
