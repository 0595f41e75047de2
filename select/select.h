#pragma once

// Opens the full-screen overlay on which the user drags out the region.
void startRegionSelection();
