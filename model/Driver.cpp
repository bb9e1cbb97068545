#include "model/Driver.h"

#include "model/Airmodel.h"
#include "shell/Settings.h"

#include <ctime>

TDate TDate::Today() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (localtime_r(&now, &local) == nullptr) {
        return TDate{};
    }
    return TDate{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

bool TDate::IsCalendarDate() const {
    if (Year < 1 || Year > 9999 || Month < 1 || Month > 12 || Day < 1) {
        return false;
    }
    static constexpr std::int32_t daysInMonth[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (Year % 4 == 0 && Year % 100 != 0) || Year % 400 == 0;
    const std::int32_t lastDay = Month == 2 && leap ? 29 : daysInMonth[Month - 1];
    return Day <= lastDay;
}

TDate TDate::FromYmd(std::int32_t ymd) {
    if (ymd <= 0) {
        return TDate{};
    }
    const TDate date{ymd / 10000, ymd / 100 % 100, ymd % 100};
    return date.IsCalendarDate() ? date : TDate{};
}

TDriverObject::TDriverObject() {
    Clear();
}

void TDriverObject::Clear() {
    // The member initialisers are the empty driver (one coil in parallel, one driver, the
    // letters of EmptyParState); only the date and the air come from outside.
    *this = TDriverObject(EmptyTag{});
    Data.DateAdded = TDate::Today();
    Data.DateModified = Data.DateAdded;
    Data.roo = AirDensity(TC.Environment_Temperature, TC.Environment_AirPressure, TC.Environment_Humidy);
    Data.c = SpeedOfSound(TC.Environment_AirPressure, Data.roo);
}

void TDriverObject::Assign(const TDriverObject& source) {
    if (&source != this) {
        Data = source.Data;
        Rs = source.Rs;
        AddedMass = source.AddedMass;
        dTVC = source.dTVC;
        NumDrivers = source.NumDrivers;
        Isobaric = source.Isobaric;
        c = source.c;
        rho = source.rho;
    }
    PrepareModel();
}

void TDriverObject::SetVCConnection(std::int32_t mode) {
    if (!(Data.Re > 0 && Data.BL > 0 && Data.numVC >= 2)) {
        return;
    }
    // Series coils add their force factors and their resistances; the resistance of n coils in
    // series is n² times that of the same coils in parallel.
    const double n = Data.numVC;
    if (Data.VCCon == 1 && mode == 2) {
        Data.BL *= n;
        Data.Re *= n * n;
        Data.VCCon = 2;
    } else if (Data.VCCon == 2 && mode == 1) {
        Data.BL /= n;
        Data.Re /= n * n;
        Data.VCCon = 1;
    }
}
