#include "tablet/TabletDriver.h"

#include "tablet/Tablet.h"

namespace rs {

namespace {

struct TRegistry
{
    TTabletDriver* Driver = nullptr;
    bool NoDriver = false;
};

TRegistry& Registry()
{
    static TRegistry r;
    return r;
}

} // namespace

// Defined in Tablet.cpp: the loaded flags belong to the driver in use, so a
// change of driver starts them afresh.
void ResetTabletLibraryState();

TTabletDriver::~TTabletDriver()
{
    TTablet::ForgetDriver(this);
    if (Registry().Driver == this) SetTabletDriver(nullptr);
}

void SetTabletDriver(TTabletDriver* driver)
{
    TRegistry& r = Registry();
    if (r.Driver == driver) return;
    r.Driver = driver;
    ResetTabletLibraryState();
}

TTabletDriver* ActiveTabletDriver()
{
    const TRegistry& r = Registry();
    return r.NoDriver ? nullptr : r.Driver;
}

TTabletDriver* RegisteredTabletDriver()
{
    return Registry().Driver;
}

void SelectNoTabletDriver(bool none)
{
    TRegistry& r = Registry();
    if (r.NoDriver == none) return;
    r.NoDriver = none;
    ResetTabletLibraryState();
}

bool NoTabletDriverSelected()
{
    return Registry().NoDriver;
}

} // namespace rs
