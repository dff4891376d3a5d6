# The animated GIF view: the thread timer and the view's widgets, in a TApplication.
tarvel_add_gtest(tarvel_gifview_tests
  SOURCES view/ViewTestSupport.cpp view/ThreadTimerTest.cpp view/GifAnimatorTest.cpp view/GifViewTest.cpp
  LIBS tarvel_gif_view tarvel_window tarvel_settings tarvel_gif_test_support
  QT)
