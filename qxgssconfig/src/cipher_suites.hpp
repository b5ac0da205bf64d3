#pragma once
#include "qxgssconfig/cipher_suites.h"
