// National language support and module resources of the simulated machine (kernel32).
#pragma once
#include "types.h"

#define LOCALE_SABBREVLANGNAME 0x00000003
#define LOCALE_USER_DEFAULT 0x0400

LCID GetUserDefaultLCID(void);
LANGID GetUserDefaultUILanguage(void);
int GetLocaleInfoW(LCID Locale, LCTYPE LCType, LPWSTR lpLCData, int cchData);

HRSRC FindResourceW(HMODULE hModule, LPCWSTR lpName, LPCWSTR lpType);
HGLOBAL LoadResource(HMODULE hModule, HRSRC hResInfo);
LPVOID LockResource(HGLOBAL hResData);
DWORD SizeofResource(HMODULE hModule, HRSRC hResInfo);
