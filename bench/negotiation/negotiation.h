// What the negotiation benchmarks and the concurrency test run: n null
// mechanisms configured under QXNEGO, and whole negotiations between a
// client and a server context over the plug-in's entry points.
#pragma once

#include <cstdint>

#include "gssp2qxnego.h"

// Fills the framework's table with n null mechanisms and QXNEGO over them,
// and configures QXNEGO. False on any failure.
bool ConfigureNullMechanisms(unsigned n);

// A client credential for alice.
gssp_cred_id_t AcquireAlice();

// One whole negotiation, both contexts deleted. False when it did not
// complete on both sides.
bool NegotiateOnce(gssp_cred_id_t client_cred);
