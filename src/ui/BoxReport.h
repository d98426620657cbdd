// The dialog program's reporting: the store's and the drive list's failures in message boxes.
#pragma once

#include "report/Report.h"

IReport& BoxReport();
