#pragma once

#define IDD_BARE_DIALOG 100
