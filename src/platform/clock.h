#pragma once

// Old name of local_time.h, kept until the tests' fakes include the new one.
#include "platform/local_time.h"
