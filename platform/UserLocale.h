#pragma once
// Who runs the game and in which language: the user's locale and login name.

// The language of the user's locale: LC_ALL, else LC_MESSAGES, else LANG
// (the first that is set and not empty); English for any other language.
int GetSystemLanguage();

// The user's login name, cut to size - 1 characters; empty when unknown.
void GetLoginUserName(char* buffer, int size);
