#pragma once

// Pulls the cards' icons into a program that links this static library;
// every card widget calls it before it asks for an icon.
void initCardResources();
