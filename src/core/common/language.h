#pragma once

// The languages of the sources Remarkist reads and writes comments for.
enum class Language { C, Cpp, D, Java };
