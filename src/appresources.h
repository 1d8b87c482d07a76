#pragma once

// Registers the resource bundles compiled into the core library (icons, the
// schema scripts and the barcode font). Safe to call more than once.
void initAppResources();
