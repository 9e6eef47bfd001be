#pragma once

// Twenty device names as a school would give them, for the screenshot walks.
inline const char *const SchoolRooms[] = {"Room 101",       "Room 102",   "Room 103",     "Room 104",
                                          "Room 201",       "Room 202",   "Room 203",     "Science Lab A",
                                          "Science Lab B",  "Library",    "Music Room",   "Art Studio",
                                          "Gym Office",     "Auditorium", "Staff Room",   "Meeting Room 1",
                                          "Meeting Room 2", "Reception",  "Computer Lab", "Principal's Office"};
