// The application object of this library: gives the installer object the product's identity and
// runs the default-settings tasks in their fixed order.
#pragma once
#include "AppInstaller.h"

class COSDefSet : public CAppInstaller {
public:
    void Attach(CMSIInstaller* installer) override;
    LONG Execute() override;

    // The tasks, in the order Execute runs them.
    void CreateOptimizedScheme();
    void UpdateBalancedScheme();
    void SetNICPowerManagement();

    // Whether the product key's "Accelerometer" value is exactly "1"; read once per loaded module.
    bool IsAccelerometerPresent();
    // Process-wide cache of that answer: -1 not read yet, 0 no, 1 yes.
    static LONG s_nAccelerometer;
};

extern COSDefSet theOSDefSet;
