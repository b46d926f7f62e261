// What tests give a room in place of its chat transport.
#pragma once

#include <tendril/tendril_interfaces.h>

// Gives the room's network peer a sender of the test's own in place of the chat client (null
// takes it away); false for an object that is not one of this library's rooms.
TENDRIL_API bool TDRL_SetRoomSenderForTest(IMeetingRoom* room, TDRL::ISender* sender);

// The statistics transfers the UI service has running.
TENDRIL_API size_t TDRL_RunningStatisticsForTest(ITendrilUIService* ui);
