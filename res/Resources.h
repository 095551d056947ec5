#pragma once
// Talvo's resources: dialog templates, menu, accelerators, strings and icons.

#include "platform/Resource.h"

const ResourceTables& TalvoResourceTables();
